// The job record between worker and batch, and the summary line written from
// it: numbers stay numbers of their kind, fields of the wrong type are passed
// over, and the line's keys come in the order earlier summaries have them.
#include "frontend/sensorbatch/job_record.h"

#include <gtest/gtest.h>

#include <cmath>

#include "frontend/sensorbatch/summary_writer.h"

namespace sensor::batch {
namespace {

std::string Written(const JobRecord& record) { return RecordToJson(record).dump(); }

JobRecord FailedRun() {
  frontend::StationOutcome outcome;
  outcome.Code = 3;
  outcome.Status = 1;
  outcome.Message = "FAIL";
  outcome.Verdicts = frontend::MakeVerdictTable({frontend::ValueKind::Count, frontend::ValueKind::Level,
                                                 frontend::ValueKind::Level, frontend::ValueKind::Level});
  outcome.Verdicts[0].Label = "dots";
  outcome.Verdicts[0].SetCount(-7);
  outcome.Verdicts[1].SetLevel(2.0 / 3.0);  // the status file writes 0.67
  outcome.Verdicts[2].SetLevel(12.0);
  outcome.Verdicts[3].SetLevel(std::nan(""));
  outcome.Class = frontend::RunClass::Fail;
  outcome.Reason = "dots=-7";
  JobRecord record = RecordRun(1, outcome, true);
  record.Wall = 0.25;
  record.Failure = "FAIL";
  return record;
}

TEST(JobRecord, ReadsBackWhatItWritesWithEachNumberOfItsKind) {
  JobRecord crashed;
  crashed.Wall = 3.5;
  crashed.Failure = "the run ended on signal 11 (Segmentation fault)";
  JobRecord notStarted;
  notStarted.Exit = 2;
  notStarted.Wall = 1e-3;
  notStarted.ReviewImage = "/a/r.png";
  for (const JobRecord& record : {FailedRun(), crashed, notStarted}) {
    const std::optional<JobRecord> read = RecordFromJson(Written(record));
    ASSERT_TRUE(read);
    EXPECT_EQ(Written(*read), Written(record));
  }
  const std::vector<JudgedNumber> values = RecordFromJson(Written(FailedRun()))->Status->Values;
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(std::get<std::int64_t>(values[0]), -7);
  EXPECT_EQ(std::get<double>(values[1]), 0.67);
  EXPECT_EQ(std::get<double>(values[2]), 12.0);  // a whole level stays a level
  EXPECT_TRUE(std::isnan(std::get<double>(values[3])));
}

TEST(JobRecord, PassesOverFieldsOfTheWrongType) {
  const struct {
    const char* Text;
    const char* Read;  // RecordToJson of what is read; null: nothing
  } cases[] = {
      {"[1]", nullptr},
      {"{\"exit\": 1", nullptr},
      {"{\"exit\": \"0\", \"wall\": \"1\", \"failure\": 5}", R"({"exit":null})"},
      {"{\"exit\": 18446744073709551615}", R"({"exit":null})"},
      {R"({"exit":0,"ReturnCode":0,"class":"MAYBE"})", R"({"exit":0})"},
      {R"({"exit":1,"ReturnCode":-2,"labels":["a",1],"values":[1,"x",null,2.5],"class":"ERROR","reason":7})",
       R"({"exit":1,"ReturnCode":-2,"Status":0,"Message":"","labels":["a"],"values":[1,null,2.5],)"
       R"("class":"ERROR","reason":null})"},
  };
  for (const auto& c : cases) {
    const std::optional<JobRecord> read = RecordFromJson(c.Text);
    EXPECT_EQ(read ? Written(*read) : "nothing", c.Read ? c.Read : "nothing") << c.Text;
  }
}

TEST(SummaryLine, KeepsTheKeyOrderAndShortestNumbers) {
  const Job job{12, "Glazetrun", {}};
  JobRecord crashed;
  crashed.Wall = 0.1 + 0.2;
  crashed.Failure = "gone";
  crashed.ReviewImage = "/r.png";  // the page's, never the summary's
  EXPECT_EQ(SummaryLine(job, "", crashed, JobClass{PageVerdict::Error, "gone"}),
            R"({"line":12,"program":"Glazetrun","picture":null,"exit":null,"wall":0.30000000000000004,)"
            R"("failure":"gone","class":"ERROR","reason":"gone"})");
  EXPECT_EQ(SummaryLine(job, "/p.bmp", FailedRun(), JobClass{PageVerdict::Fail, "dots=-7"}),
            R"({"line":12,"program":"Glazetrun","picture":"/p.bmp","exit":1,"ReturnCode":3,"Status":1,)"
            R"("Message":"FAIL","labels":["dots","","",""],"values":[-7,0.67,12,null],"class":"FAIL",)"
            R"("reason":"dots=-7","wall":0.25,"failure":"FAIL"})");
}

}  // namespace
}  // namespace sensor::batch
