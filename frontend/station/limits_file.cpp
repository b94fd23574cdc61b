#include "frontend/station/limits_file.h"

#include <array>

#include "frontend/common/regular_file.h"
#include "frontend/common/text_format.h"
#include "frontend/common/text_lines.h"
#include "frontend/common/value_scan.h"

namespace sensor::frontend {
namespace {

enum KeyList { kHeaders, kUnits, kHighs, kLows, kKeyLists };

struct LimitKey {
  std::string_view Key;
  KeyList List;
};

constexpr std::array<LimitKey, 5> kLimitKeys = {{
    {"Header=", kHeaders},
    {"Headers=", kHeaders},
    {"Unit=", kUnits},
    {"HighLimit=", kHighs},
    {"LowLimit=", kLows},
}};

// One key line's list of items, walked column by column.
struct ItemList {
  std::string Text;  // everything after the '=', line break included
  std::size_t Position = 0;

  // The item at the position: up to a comma, a line break or the end.
  std::string_view Item() const {
    const std::size_t end = Text.find_first_of(",\n", Position);
    return std::string_view(Text).substr(Position, end == std::string::npos ? end : end - Position);
  }
  // Moves past the comma that ended the current item; an item ended by a line
  // break or by the end of the text leaves the list standing there.
  void Advance() {
    Position += Item().size();
    if (Position < Text.size() && Text[Position] == ',') ++Position;
  }
  bool AtEnd() const { return Position >= Text.size(); }
  bool AtLineBreak() const { return Position < Text.size() && Text[Position] == '\n'; }
};

// The file's line number of a piece: pieces that end a line before it, plus one.
std::size_t LineNumberOf(const std::vector<std::string>& lines, std::size_t piece) {
  std::size_t number = 1;
  for (std::size_t i = 0; i < piece && i < lines.size(); ++i) {
    if (!lines[i].empty() && lines[i].back() == '\n') ++number;
  }
  return number;
}

void Explain(std::string* problem, std::string text) {
  if (problem != nullptr && problem->empty()) *problem = std::move(text);
}

}  // namespace

bool IsSectionLine(std::string_view line, const std::vector<std::string>& sections) {
  const std::size_t open = line.find('[');
  if (open == std::string_view::npos || line.find(']') == std::string_view::npos) return false;
  for (const std::string& name : sections) {
    if (StartsWithNoCase(line.substr(open), name)) return true;
  }
  return false;
}

bool ReadLimitSection(const std::vector<std::string>& lines, std::size_t begin,
                      const LimitsRules& rules, VerdictTable& table, std::string* problem) {
  const auto section = [&] { return "the section of line " + std::to_string(LineNumberOf(lines, begin - 1)); };
  if (begin >= lines.size()) {
    Explain(problem, section() + " ends the file; expected its Header=, Unit=, HighLimit= and LowLimit= lines");
    return false;
  }

  std::array<ItemList, kKeyLists> lists;
  int keyLines = 0;
  for (std::size_t i = begin; i < lines.size() && (lines[i].empty() || lines[i][0] != '['); ++i) {
    for (const LimitKey& key : kLimitKeys) {
      if (StartsWithNoCase(lines[i], key.Key)) {
        lists[key.List].Text = lines[i].substr(key.Key.size());
        ++keyLines;
        break;
      }
    }
  }
  if (keyLines != kKeyLists) {
    Explain(problem, section() + " holds " + std::to_string(keyLines) +
                         " key lines; expected exactly one each of Header=, Unit=, HighLimit= and LowLimit=");
    return false;
  }

  for (;;) {
    const std::string_view header = lists[kHeaders].Item();
    if (header.empty() || lists[kUnits].Item().empty() || lists[kHighs].Item().empty() ||
        lists[kLows].Item().empty()) {
      Explain(problem, section() + " has an empty column or lists of different lengths; expected a header, a "
                                   "unit and both limits in every column");
      return false;
    }
    const std::optional<std::size_t> entry = rules.EntryFor(header);
    if (!entry || *entry >= table.size()) {
      Explain(problem, section() + " has the header \"" + std::string(header) +
                           "\", which names no value of this program; expected the headers of the manual page");
      return false;
    }

    VerdictEntry& target = table[*entry];
    target.Label = std::string(header);
    target.Unit = std::string(lists[kUnits].Item());
    target.High = LeadingInteger(std::string(lists[kHighs].Item()).c_str());
    target.Low = LeadingInteger(std::string(lists[kLows].Item()).c_str());

    for (ItemList& list : lists) list.Advance();
    if (lists[kHeaders].AtLineBreak() || lists[kHeaders].AtEnd() || lists[kUnits].AtEnd() ||
        lists[kHighs].AtEnd() || lists[kLows].AtEnd()) {
      return true;
    }
  }
}

bool ReadTestLimitsLines(const std::vector<std::string>& lines, const LimitsRules& rules,
                         VerdictTable& table, std::string* problem) {
  for (const std::string& name : rules.Sections) {
    bool found = false;
    for (const std::string& line : lines) {
      if (IsSectionLine(line, {name})) {
        found = true;
        break;
      }
    }
    if (!found) {
      Explain(problem, "no " + name + " section; expected a line " + name + " followed by its four key lines");
      return false;
    }
  }

  bool allRead = true;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (IsSectionLine(lines[i], rules.Sections) && !ReadLimitSection(lines, i + 1, rules, table, problem)) {
      allRead = false;
    }
  }
  return allRead;
}

bool ReadTestLimits(const std::string& path, const LimitsRules& rules, VerdictTable& table,
                    std::string* problem) {
  const std::optional<std::vector<std::string>> lines = ReadTextPieces(path, kLimitsFileMaxBytes);
  if (!lines) {
    Explain(problem, UnreadableFileProblem(path, kLimitsFileMaxBytes));
    return false;
  }
  return ReadTestLimitsLines(*lines, rules, table, problem);
}

}  // namespace sensor::frontend
