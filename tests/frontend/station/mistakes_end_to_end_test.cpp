// A new user's commonest mistakes, tried on the built programs: each gives one
// line on standard error that names the argument or file, the exit code the
// station has always seen (only an output that was not written turns a 0
// into 1), and the right class in the report; --help and --version answer at
// once and leave nothing behind; a batch classes its jobs the same way.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/glazetrun/glazet_program.h"
#include "frontend/ostrelrun/ostrel_program.h"
#include "frontend/waferonrun/waferon_program.h"
#include "program_run_test.h"

namespace sensor::test {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const std::string kExamples = std::string(SENSOR_SOURCE_DIR) + "/examples/";

std::size_t Lines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

// `value` as `bytes` little-endian bytes.
std::string Le(std::uint32_t value, int bytes) {
  std::string text;
  for (int i = 0; i < bytes; ++i) text += static_cast<char>((value >> (8 * i)) & 0xFF);
  return text;
}

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) names.insert(entry.path().string());
  return names;
}

// A Waferonrun copy with the example files beside it, and the mistakes' files.
class Mistakes : public ProgramRunTest {
 protected:
  Mistakes() : ProgramRunTest("Waferonrun", "libWaferon.so") {
    CopyFile(kExamples + "images/clean_bayer.bmp", Beside("clean.bmp"));
    CopyFile(kExamples + "images/defective_bayer.bmp", Beside("defective.bmp"));
    CopyFile(kExamples + "waferonrun/settings.ini", Beside("settings.ini"));
    CopyFile(kExamples + "waferonrun/limits.txt", Beside("limits.txt"));
    Write("pic.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, 'x'));
    Write("frame.raw", std::string(1000, '\x5a'));
    Write("typo.ini", "; comment\n[section]\nHamerSize=11\n");
    Write("broken.txt", "[CLUSTER]\nHeader=x\n[PIXEL]\n[BRIGHTNESS]\n");
    Write("huge.txt", std::string(70000, '\n'));
    // A bitmap of 8 bits per pixel, 4 x 2, grey palette: read, but not bound by the libraries.
    std::string eight = "BM" + Le(14 + 40 + 1024 + 8, 4) + Le(0, 4) + Le(14 + 40 + 1024, 4) + Le(40, 4) + Le(4, 4) +
                        Le(2, 4) + Le(1, 2) + Le(8, 2) + Le(0, 4) + Le(8, 4) + std::string(16, '\0');
    for (int i = 0; i < 256; ++i) eight += Le(i * 0x010101, 4);
    Write("eight.bmp", eight + std::string(8, '\x40'));
  }
};

struct MistakeCase {
  const char* Name;
  std::vector<std::string> Arguments;
  int ExitCode;
  std::vector<std::string> LineParts;  // the one line on standard error holds each; none: no line
  const char* Class;                   // the report's class
};

TEST_F(Mistakes, EachMistakeGivesOneLineTheStationsExitCodeAndTheReportsClass) {
  const std::vector<MistakeCase> cases = {
      {"passing run", {"-TestSettings", "settings.ini", "-TestLimits", "limits.txt", "-BMPFileIn", "clean.bmp"}, 0, {},
       "PASS"},
      {"failing run", {"-TestSettings", "settings.ini", "-TestLimits", "limits.txt", "-BMPFileIn", "defective.bmp"}, 1,
       {}, "FAIL"},
      {"misspelt option", {"-TestSetings", "settings.ini", "-BMPFileIn", "clean.bmp"}, 0,
       {"unknown option: -TestSetings:", "did you mean -TestSettings?"}, "ERROR"},
      {"settings file missing", {"-TestSettings", "none.ini", "-BMPFileIn", "clean.bmp"}, 0,
       {"settings file: " + Beside("none.ini") + ": does not exist"}, "ERROR"},
      {"settings key misspelt", {"-TestSettings", "typo.ini", "-BMPFileIn", "clean.bmp"}, 0,
       {"typo.ini line 3:", "\"HamerSize=11\" sets nothing", "did you mean HammerSize=?"}, "ERROR"},
      {"picture missing", {"-BMPFileIn", "none.bmp"}, 1, {"picture: " + Beside("none.bmp") + ": does not exist"}, "ERROR"},
      {"no picture named", {"-slave"}, 1, {"picture: -BMPFileIn: no picture named"}, "ERROR"},
      {"picture path without extension", {"-BMPFileIn", "clean"}, 1, {"bad path: -BMPFileIn clean:"}, "ERROR"},
      {"PNG picture", {"-BMPFileIn", "pic.png"}, 1, {"pic.png: a PNG file", "-RawLayout"}, "ERROR"},
      {"8-bit bitmap", {"-BMPFileIn", "eight.bmp"}, 1, {"eight.bmp: refused: the bitmap has 8 bits per pixel"}, "ERROR"},
      {"raw frame without layout", {"-BMPFileIn", "frame.raw"}, 1, {"frame.raw: of an unknown format", "-RawLayout"},
       "ERROR"},
      {"raw frame refused", {"-BMPFileIn", "frame.raw", "-RawLayout", "raw10,64,64"}, 1, {"frame.raw: refused: "},
       "ERROR"},
      {"limits file missing", {"-TestLimits", "none.txt", "-BMPFileIn", "clean.bmp"}, 1,
       {"limits file: " + Beside("none.txt") + ": does not exist"}, "ERROR"},
      {"limits file malformed", {"-TestLimits", "broken.txt", "-BMPFileIn", "clean.bmp"}, 1,
       {"limits file: ", "the section of line 1 holds 1 key lines; expected exactly one each"}, "ERROR"},
      {"limits file too large", {"-TestLimits", "huge.txt", "-BMPFileIn", "clean.bmp"}, 1,
       {"huge.txt: is larger than 65536 bytes"}, "ERROR"},
      {"option without its value", {"-BMPFileIn", "clean.bmp", "-TestLimits"}, 0, {"missing value: -TestLimits:"},
       "ERROR"},
      {"status file in a missing folder", {"-BMPFileIn", "clean.bmp", "-OutputFile", "./nodir/status.txt"}, 1,
       {"output: ", "nodir/status.txt: the status file cannot be written: its folder does not exist"}, "PASS"},
      {"output folder not writable", {"-BMPFileIn", "clean.bmp", "-OutputFolder", "/proc/none"}, 1,
       {"output: /proc/none: the output folder cannot be created or written"}, "ERROR"},
  };
  for (const MistakeCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::string> arguments = c.Arguments;
    fs::remove(Beside("run.json"));
    arguments.insert(arguments.begin(), {"-Report", Beside("run.json"), "-slave"});
    const ProgramOutput run = Run(arguments);
    EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Console;
    if (c.LineParts.empty()) {
      EXPECT_EQ(run.Errors, "");
    } else {
      EXPECT_EQ(Lines(run.Errors), 1u) << run.Errors;
      EXPECT_EQ(run.Errors.rfind("Waferonrun: ", 0), 0u) << run.Errors;
      for (const std::string& part : c.LineParts) EXPECT_TRUE(Contains(run.Errors, part)) << run.Errors;
    }
    ASSERT_TRUE(Exists("run.json"));
    // Every report, also one of a run that could not start, passes the schema.
    const std::string validate = "/usr/bin/python3 " + std::string(SENSOR_SOURCE_DIR) + "/tests/support/validate_report.py " +
                                 SENSOR_SOURCE_DIR + "/doc/report.schema.json " + Beside("run.json");
    EXPECT_EQ(std::system(validate.c_str()), 0);
    const Json outcome = Json::parse(Read("run.json"))["outcome"];
    EXPECT_EQ(outcome["class"], c.Class);
    // An ERROR's reason is its line on standard error.
    if (std::string(c.Class) == "ERROR") {
      EXPECT_EQ("Waferonrun: " + outcome["reason"].get<std::string>() + "\n", run.Errors);
    }
  }
}

// Implausible settings of another program take the same way.
TEST_F(Mistakes, ImplausibleSettingsAreAnErrorWithTheirReason) {
  ProgramCopy glazet("Glazetrun", "libGlazet.so");
  glazet.Write("g.ini", "BayerMode=1\nColor=G\n");
  CopyFile(Beside("clean.bmp"), glazet.File("clean.bmp"));
  const ProgramOutput run =
      glazet.Run(glazet.Dir(), {"-TestSettings", "g.ini", "-BMPFileIn", "clean.bmp", "-Report", "g.json", "-slave"});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Errors.rfind("Glazetrun: settings: Color=G ", 0), 0u) << run.Errors;
  EXPECT_EQ(Json::parse(glazet.Read("g.json"))["outcome"]["class"], "ERROR");
}

struct Described {
  const char* Program;
  const char* Library;
  frontend::ProgramDescription Description;
};

// --help and --version of every program: exit 0 at once (standard input a pipe
// that stays open and silent), nothing on standard error, no file written; the
// help names every option and settings key of the program's tables.
TEST(Information, HelpAndVersionAnswerAtOnceAndWriteNothing) {
  waferonrun::WaferonSettings w;
  glazetrun::GlazetSettings g;
  ostrelrun::OstrelSettings o;
  const std::vector<Described> programs = {{"Waferonrun", "libWaferon.so", waferonrun::DescribeWaferonrun(w, nullptr)},
                                           {"Glazetrun", "libGlazet.so", glazetrun::DescribeGlazetrun(g, nullptr)},
                                           {"Ostrelrun", "libOstrel.so", ostrelrun::DescribeOstrelrun(o, nullptr)}};
  TempFolder pipes;
  const std::string fifo = pipes.File("stdin");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int held = open(fifo.c_str(), O_RDWR | O_NONBLOCK);  // a writer that never writes
  ASSERT_GE(held, 0);
  for (const Described& p : programs) {
    SCOPED_TRACE(p.Program);
    ProgramCopy copy(p.Program, p.Library);
    const std::set<std::string> before = FilesIn(copy.Dir());
    const ProgramOutput help = RunProgram(copy.ProgramPath(), {copy.ProgramPath(), "--help"}, copy.Dir(), fifo, 10);
    const ProgramOutput version =
        RunProgram(copy.ProgramPath(), {copy.ProgramPath(), "--version"}, copy.Dir(), fifo, 10);
    for (const ProgramOutput* out : {&help, &version}) {
      EXPECT_FALSE(out->TimedOut);
      EXPECT_EQ(out->ExitCode, 0);
      EXPECT_EQ(out->Errors, "");
    }
    EXPECT_EQ(FilesIn(copy.Dir()), before);
    // Each on a line of its own, alone or followed by the start values of what it sets.
    const auto listed = [&help](const std::string& entry) {
      return Contains(help.Console, "\n  " + entry + "\n") || Contains(help.Console, "\n  " + entry + "   (start: ");
    };
    for (const frontend::OptionSpec& option : frontend::OptionsOf(p.Description.Settings)) {
      EXPECT_TRUE(listed("-" + option.Name + (option.TakesValue ? " VALUE" : ""))) << option.Name;
    }
    frontend::CommonOptions scratch;
    for (const frontend::SettingsKey& key : frontend::KeysOf(p.Description.Settings, scratch)) {
      EXPECT_TRUE(listed(key.Key)) << key.Key;
    }
    EXPECT_TRUE(Contains(help.Console, "doc/man/" + std::string(p.Program) + ".1"));
    EXPECT_TRUE(Contains(version.Console, copy.File(p.Library) + ": 1."));
  }
  // Without them the same pipe keeps a run waiting for its key: the check above can fail.
  ProgramCopy control("Ostrelrun", "libOstrel.so");
  EXPECT_TRUE(RunProgram(control.ProgramPath(), {control.ProgramPath()}, control.Dir(), fifo, 3).TimedOut);
  close(held);
}

// The batch classes its jobs as their runs do, with the reason in the summary
// and one line on standard error for each ERROR.
TEST(BatchClasses, SummaryAndStandardErrorCarryEachJobsClassAndReason) {
  TempFolder folder;
  const std::string w = "Waferonrun -TestSettings " + kExamples + "waferonrun/settings.ini -TestLimits " + kExamples +
                        "waferonrun/limits.txt -OutputFolder out -BMPFileIn ";  // a bare name is beside the program
  WriteFile(folder.File("pic.png"), std::string("\x89PNG\r\n\x1a\n", 8));
  WriteFile(folder.File("jobs.txt"), w + kExamples + "images/clean_bayer.bmp\n" + w + kExamples +
                                         "images/defective_bayer.bmp\n" + w + "./pic.png\n");
  const std::string batch = std::string(SENSOR_BIN_DIR) + "/sensorbatch";
  const ProgramOutput run = RunProgram(batch, {batch, "-Jobs", "jobs.txt", "-Summary", "s.jsonl"}, folder.Path());
  EXPECT_EQ(run.ExitCode, 1);
  std::vector<Json> lines;
  std::istringstream summary(ReadFile(folder.File("s.jsonl")));
  for (std::string line; std::getline(summary, line);) lines.push_back(Json::parse(line));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0]["class"], "PASS");
  EXPECT_TRUE(lines[0]["reason"].is_null());
  EXPECT_EQ(lines[1]["class"], "FAIL");
  EXPECT_EQ(lines[1]["reason"], lines[1]["Message"]);
  EXPECT_EQ(lines[2]["class"], "ERROR");
  EXPECT_EQ(run.Errors, "jobs.txt:3: Waferonrun: " + lines[2]["reason"].get<std::string>() + "\n");
  EXPECT_TRUE(Contains(run.Errors, "pic.png: a PNG file")) << run.Errors;

  for (const char* word : {"--help", "--version"}) {
    const ProgramOutput info = RunProgram(batch, {batch, word}, folder.Path());
    EXPECT_EQ(info.ExitCode, 0) << word;
    EXPECT_EQ(info.Errors, "") << word;
    EXPECT_TRUE(Contains(info.Console, std::string(word) == "--help" ? "-ReportPage VALUE" : "libOstrel.so: 1."));
  }
}

}  // namespace
}  // namespace sensor::test
