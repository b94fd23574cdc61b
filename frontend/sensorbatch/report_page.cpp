#include "frontend/sensorbatch/report_page.h"

#include <filesystem>

namespace sensor::batch {
namespace {

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

// A file path as a URL path: every byte but letters, digits, "-._~/"
// percent-encoded.
std::string UrlPath(const std::string& path) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
        c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

// The review image's address from the page: relative to the page's folder,
// else the file's own address.
std::string ImageAddress(const std::string& image, const std::string& pageFolder) {
  namespace fs = std::filesystem;
  const fs::path relative = fs::path(image).lexically_relative(pageFolder);
  if (!relative.empty()) return UrlPath(relative.generic_string());
  return "file://" + UrlPath(image);
}

const char* VerdictName(PageVerdict verdict) {
  switch (verdict) {
    case PageVerdict::Pass: return "PASS";
    case PageVerdict::Fail: return "FAIL";
    case PageVerdict::Error: break;
  }
  return "ERROR";
}

constexpr const char* kStyle = R"(<style>
body{font:14px/1.4 sans-serif;margin:1.5em;color:#222;background:#fafafa}
h1{font-size:1.4em;margin:0 0 .3em}
.counts span{display:inline-block;padding:.2em .7em;margin-right:.5em;border-radius:.3em;font-weight:bold}
#passed{background:#d9f2d9;color:#185c18}#failed{background:#f7d4d4;color:#7a1414}#errored{background:#fbe5c8;color:#6b3a00}
.tools{margin:1em 0}.tools input{width:20em}
table{border-collapse:collapse;background:#fff}
th,td{border:1px solid #ccc;padding:.3em .6em;text-align:left;vertical-align:top}
th{background:#eee;cursor:pointer;user-select:none;white-space:nowrap}
th[aria-sort=ascending]::after{content:" \25B2"}th[aria-sort=descending]::after{content:" \25BC"}
td.verdict{font-weight:bold}tr[data-verdict=PASS] td.verdict{color:#185c18}
tr[data-verdict=FAIL] td.verdict{color:#b01c1c}tr[data-verdict=ERROR] td.verdict{color:#a55a00}
td.values{font-family:monospace;max-width:40em}
td.review img{max-width:160px;max-height:120px;display:block}
</style>
)";

constexpr const char* kScript = R"(<script>
(function () {
  var keys = ['line', 'picture', 'program', 'verdict', 'values'];
  var body = document.querySelector('#jobs tbody');
  var heads = document.querySelectorAll('#jobs th');
  var rows = Array.prototype.slice.call(body.rows);
  var text = document.getElementById('filter');
  var verdict = document.getElementById('verdict');
  var sortKey = 'line', down = false;
  function value(row, key) {
    return row.cells[keys.indexOf(key)].textContent;
  }
  function show() {
    var t = text.value.toLowerCase(), v = verdict.value, shown = 0;
    rows.sort(function (a, b) {
      var x = value(a, sortKey), y = value(b, sortKey);
      var c = sortKey === 'line' ? x - y : x.localeCompare(y);
      if (c === 0) c = a.getAttribute('data-line') - b.getAttribute('data-line');
      return down ? -c : c;
    });
    rows.forEach(function (row) {
      var visible = (!v || row.getAttribute('data-verdict') === v) &&
                    (!t || row.textContent.toLowerCase().indexOf(t) >= 0);
      row.hidden = !visible;
      if (visible) shown++;
      body.appendChild(row);
    });
    for (var i = 0; i < heads.length; i++) {
      if (keys[i] === sortKey) heads[i].setAttribute('aria-sort', down ? 'descending' : 'ascending');
      else heads[i].removeAttribute('aria-sort');
    }
    document.getElementById('shown').textContent = shown;
  }
  Array.prototype.forEach.call(heads, function (head, i) {
    if (i >= keys.length) return;
    head.addEventListener('click', function () {
      down = sortKey === keys[i] ? !down : false;
      sortKey = keys[i];
      show();
    });
  });
  text.addEventListener('input', show);
  verdict.addEventListener('change', show);
  location.hash.replace(/^#/, '').split('&').forEach(function (part) {
    var eq = part.indexOf('=');
    if (eq < 0) return;
    var name = part.slice(0, eq), setting = decodeURIComponent(part.slice(eq + 1));
    if (name === 'filter') text.value = setting;
    if (name === 'verdict') verdict.value = setting.toUpperCase();
    if (name === 'sort') {
      down = setting.charAt(0) === '-';
      if (down) setting = setting.slice(1);
      if (keys.indexOf(setting) >= 0) sortKey = setting;
    }
  });
  show();
})();
</script>
)";

}  // namespace

std::string FormatReportPage(const std::string& jobFile, const std::vector<PageJob>& jobs,
                             const std::string& pageFolder) {
  std::size_t passed = 0;
  std::size_t failed = 0;
  for (const PageJob& job : jobs) {
    passed += job.Verdict == PageVerdict::Pass ? 1 : 0;
    failed += job.Verdict == PageVerdict::Fail ? 1 : 0;
  }
  const std::string title = "Batch report: " + Escape(jobFile);

  std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                     title + "</title>\n";
  page += kStyle;
  page += "</head>\n<body>\n<h1>" + title + "</h1>\n";
  page += "<p class=\"counts\"><span id=\"passed\">" + std::to_string(passed) +
          " passed</span><span id=\"failed\">" + std::to_string(failed) + " failed</span><span id=\"errored\">" +
          std::to_string(jobs.size() - passed - failed) + " errored</span>of " + std::to_string(jobs.size()) +
          " jobs</p>\n";
  page +=
      "<p class=\"tools\"><input id=\"filter\" type=\"search\" placeholder=\"Filter: any text of a row\">"
      " <select id=\"verdict\"><option value=\"\">every verdict</option><option>PASS</option>"
      "<option>FAIL</option><option>ERROR</option></select> <span id=\"shown\">" +
      std::to_string(jobs.size()) + "</span> shown</p>\n";
  page +=
      "<table id=\"jobs\">\n<thead><tr><th>Line</th><th>Picture</th><th>Program</th><th>Verdict</th>"
      "<th>Failing values or reason</th><th>Review</th></tr></thead>\n<tbody>\n";
  for (const PageJob& job : jobs) {
    const char* verdict = VerdictName(job.Verdict);
    const std::string line = std::to_string(job.Line);
    page += "<tr data-line=\"" + line + "\" data-verdict=\"" + verdict + "\"><td>" + line + "</td>";
    const std::string name = std::filesystem::path(job.Picture).filename().string();
    page += "<td title=\"" + Escape(job.Picture) + "\">" + Escape(name) + "</td>";
    page += "<td>" + Escape(job.Program) + "</td><td class=\"verdict\">" + verdict + "</td>";
    // Long lists of failing values break after their commas.
    std::string details = Escape(job.Details);
    for (std::size_t at = details.find(','); at != std::string::npos; at = details.find(',', at + 6)) {
      details.insert(at + 1, "<wbr>");
    }
    page += "<td class=\"values\">" + details + "</td><td class=\"review\">";
    if (!job.ReviewImage.empty()) {
      const std::string address = Escape(ImageAddress(job.ReviewImage, pageFolder));
      page += "<a href=\"" + address + "\"><img src=\"" + address + "\" alt=\"review image of line " +
              line + "\" loading=\"lazy\"></a>";
    }
    page += "</td></tr>\n";
  }
  page += "</tbody>\n</table>\n";
  page += kScript;
  page += "</body>\n</html>\n";
  return page;
}

}  // namespace sensor::batch
