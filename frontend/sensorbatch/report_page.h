// The batch's page for a person (-ReportPage FILE.html): one self-contained
// HTML file (its style and script inside, nothing fetched) with the counts of
// passed, failed and errored jobs and a table of the jobs (line, picture,
// program, verdict, failing values or an error's reason) that sorts on a
// click on a heading and filters by text and verdict; a job with a review image shows it as a thumbnail linking
// to the full picture. The page's address may carry the view:
// page.html#filter=TEXT&verdict=FAIL&sort=picture (sort keys: line, picture,
// program, verdict, values; "-" before a key sorts downwards).
#pragma once

#include <string>
#include <vector>

namespace sensor::batch {

enum class PageVerdict { Pass, Fail, Error };

struct PageJob {
  int Line = 0;
  std::string Program;
  std::string Picture;  // as resolved; empty when the job named none
  PageVerdict Verdict = PageVerdict::Pass;
  // The failing values as the status message gives them, or for an error what
  // went wrong.
  std::string Details;
  std::string ReviewImage;  // the review image the job wrote; empty: none
};

// The page for `jobs` (in job-file order) of the job file `jobFile`; paths of
// review images are written relative to `pageFolder` where they can be.
std::string FormatReportPage(const std::string& jobFile, const std::vector<PageJob>& jobs,
                             const std::string& pageFolder);

}  // namespace sensor::batch
