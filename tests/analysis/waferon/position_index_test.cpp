// The position index against an ordered map on random inserts and erases.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "common/parallel_rows.h"
#include "waferon/core/position_index.h"

namespace sensor::waferon {
namespace {

TEST(WaferonPositionIndex, AgreesWithAMapThroughInsertsErasesAndGrowth) {
  std::mt19937 random(11);
  PositionIndex index;
  std::map<std::pair<std::int32_t, std::int32_t>, std::uint32_t> model;
  for (int step = 0; step < 60000; ++step) {
    // Mostly small coordinates (many collisions), sometimes extreme ones.
    auto coordinate = [&]() -> std::int32_t {
      switch (random() % 8) {
        case 0: return -1;
        case 1: return INT32_MAX - static_cast<std::int32_t>(random() % 3);
        case 2: return INT32_MIN;
        default: return static_cast<std::int32_t>(random() % 90);
      }
    };
    const std::int32_t x = coordinate(), y = coordinate();
    const auto value = static_cast<std::uint32_t>(random());
    const auto key = std::make_pair(x, y);
    if (random() % 3 != 0) {
      EXPECT_EQ(index.Insert(x, y, value), model.emplace(key, value).second);
    } else {
      index.Erase(x, y);
      model.erase(key);
    }
    const std::uint32_t* found = index.Find(x, y);
    const auto it = model.find(key);
    ASSERT_EQ(found != nullptr, it != model.end()) << x << "," << y;
    if (found != nullptr) {
      ASSERT_EQ(*found, it->second);
    }
    ASSERT_EQ(index.Size(), model.size());
  }
  for (const auto& [key, value] : model) {
    const std::uint32_t* found = index.Find(key.first, key.second);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, value);
  }
  index.Clear();
  EXPECT_EQ(index.Size(), 0u);
  EXPECT_FALSE(index.Contains(-1, -1));
  EXPECT_FALSE(index.Contains(5, 5));
}

TEST(WaferonPositionIndex, InsertsInPartsKeepTheFirstValueOfEveryPositionAsOneByOne) {
  // Batches with repeated positions and (-1, -1), into indexes already
  // holding some, in one to four parts: every position holds the value of its
  // first insert, through its own share or left over past the share's end.
  std::mt19937 random(13);
  using Position = std::pair<std::int32_t, std::int32_t>;
  for (int trial = 0; trial < 200; ++trial) {
    const int spread = 2 + static_cast<int>(random() % 200);
    auto position = [&]() -> Position {
      if (random() % 50 == 0) return {-1, -1};
      return {static_cast<std::int32_t>(random() % static_cast<unsigned>(spread)) - 1,
              static_cast<std::int32_t>(random() % 7)};
    };
    std::vector<Position> earlier(random() % 40), batch(1 + random() % 400);
    for (Position& p : earlier) p = position();
    for (Position& p : batch) p = position();
    const int parts = 1 + trial % 4;
    PositionIndex one, split;
    for (std::size_t k = 0; k < earlier.size(); ++k) {
      one.Insert(earlier[k].first, earlier[k].second, static_cast<std::uint32_t>(k));
      split.Insert(earlier[k].first, earlier[k].second, static_cast<std::uint32_t>(k));
    }
    const auto base = static_cast<std::uint32_t>(earlier.size());
    for (std::size_t k = 0; k < batch.size(); ++k) {
      one.Insert(batch[k].first, batch[k].second, base + static_cast<std::uint32_t>(k));
    }
    SetAnalysisThreads(parts, true);
    split.InsertInParts(batch.size(), base, [&](std::size_t k) { return batch[k]; }, parts);
    SetAnalysisThreads(0);
    ASSERT_EQ(split.Size(), one.Size()) << "trial " << trial;
    for (const auto& list : {earlier, batch}) {
      for (const auto& [x, y] : list) {
        const std::uint32_t* found = split.Find(x, y);
        ASSERT_NE(found, nullptr) << "trial " << trial;
        ASSERT_EQ(*found, *one.Find(x, y)) << "trial " << trial << " at " << x << "," << y;
      }
    }
  }
}

TEST(WaferonPositionIndex, ReservingRoomKeepsEveryPositionAndItsValue) {
  PositionIndex index;
  for (std::int32_t i = 0; i < 100; ++i) index.Insert(i, -i, static_cast<std::uint32_t>(i));
  index.Reserve(5000);
  index.Reserve(10);  // less than held: nothing is lost
  for (std::int32_t i = 100; i < 5000; ++i) index.Insert(i, -i, static_cast<std::uint32_t>(i));
  EXPECT_EQ(index.Size(), 5000u);
  for (std::int32_t i = 0; i < 5000; ++i) {
    const std::uint32_t* value = index.Find(i, -i);
    ASSERT_NE(value, nullptr) << i;
    EXPECT_EQ(*value, static_cast<std::uint32_t>(i));
  }
  EXPECT_FALSE(index.Contains(5000, -5000));
}

}  // namespace
}  // namespace sensor::waferon
