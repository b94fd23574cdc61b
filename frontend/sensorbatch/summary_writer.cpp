#include "frontend/sensorbatch/summary_writer.h"

#include "frontend/products/shortest_json.h"

namespace sensor::batch {

std::string SummaryLine(const Job& job, const std::string& picture, const JobRecord& record,
                        const JobClass& jobClass) {
  nlohmann::ordered_json line;
  line["line"] = job.Line;
  line["program"] = job.Program;
  line["picture"] = picture.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(picture);
  JobRecord summarised = record;
  summarised.ReviewImage.reset();
  line.update(RecordToJson(summarised));
  if (!record.Status) {
    line["class"] = "ERROR";
    line["reason"] = jobClass.Reason;
  }
  return frontend::ShortestJson(line);
}

void SummaryWriter::Add(std::size_t index, std::string line) {
  lines_[index] = std::move(line);
  for (; next_ < lines_.size() && lines_[next_]; ++next_) Write(*lines_[next_]);
}

void SummaryWriter::Close() {
  for (; next_ < lines_.size(); ++next_) {
    if (lines_[next_]) Write(*lines_[next_]);
  }
}

void SummaryWriter::Write(const std::string& line) {
  if (out_ != nullptr) out_->Write(line + '\n', true);
}

}  // namespace sensor::batch
