// Which jobs share a worker, in what order they run there, and which wait for
// others: every file must end as the jobs run one by one in file order leave
// it, and no job may see a picture another one painted.
#include "frontend/sensorbatch/job_plan.h"

#include <gtest/gtest.h>

namespace sensor::batch {
namespace {

struct Planned {
  const char* Picture;
  bool Paints;
  std::vector<std::string> Writes;
};

struct GroupCase {
  const char* Name;
  std::vector<Planned> Jobs;
  std::vector<std::vector<std::size_t>> Order;  // each group's jobs in run order
  std::vector<std::vector<std::size_t>> After;  // each group's waits
};

TEST(GroupJobs, KeepsFileOrderForWhatJobsWriteAndPaintersOffTheSharedPicture) {
  const std::vector<GroupCase> cases = {
      {"one picture, nobody paints", {{"a", false, {"1"}}, {"a", false, {"2"}}, {"a", false, {"3"}}},
       {{0, 1, 2}}, {{}}},
      {"a painter waits for the readers after it",
       {{"a", true, {"1"}}, {"a", false, {"2"}}, {"a", false, {"3"}}}, {{1, 2, 0}}, {{}}},
      {"but not behind a job that writes what it writes",
       {{"a", true, {"1"}}, {"a", false, {"2"}}, {"a", false, {"1"}}, {"a", false, {"4"}}},
       {{1, 0, 2, 3}}, {{}}},
      {"pictures apart run apart, a shared file waits",
       {{"a", false, {"1"}}, {"b", false, {"1", "2"}}, {"c", false, {"3"}}, {"d", false, {"2"}}},
       {{0}, {1}, {2}, {3}}, {{}, {0}, {}, {1}}},
      {"only consecutive jobs on one picture join; no picture joins nothing",
       {{"a", false, {"1"}}, {"b", false, {"2"}}, {"a", false, {"3"}}, {"", false, {"4"}}, {"", false, {"5"}}},
       {{0}, {1}, {2}, {3}, {4}}, {{}, {}, {}, {}, {}}},
      {"a group waits for the last earlier writer of each file",
       {{"a", false, {"1"}}, {"a", false, {"1"}}, {"b", false, {"1"}}, {"b", true, {"1"}}},
       {{0, 1}, {2, 3}}, {{}, {1}}},
  };
  for (const GroupCase& c : cases) {
    std::vector<JobPlan> plans;
    for (const Planned& job : c.Jobs) {
      JobPlan plan;
      plan.Picture = job.Picture;
      plan.Paints = job.Paints;
      plan.Writes = job.Writes;
      plans.push_back(plan);
    }
    const std::vector<JobGroup> groups = GroupJobs(plans);
    std::vector<std::vector<std::size_t>> order;
    std::vector<std::vector<std::size_t>> after;
    for (const JobGroup& group : groups) {
      order.push_back(group.Jobs);
      after.push_back(group.After);
    }
    EXPECT_EQ(order, c.Order) << c.Name;
    EXPECT_EQ(after, c.After) << c.Name;
  }
}

}  // namespace
}  // namespace sensor::batch
