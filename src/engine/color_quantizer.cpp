#include "engine/color_quantizer.h"

#include <algorithm>
#include <unordered_map>

namespace klv {

namespace {

struct Entry {
  uint32_t colour;  // 0x00RRGGBB
  uint64_t count;
};

int Channel(uint32_t c, int ch) {
  return (c >> (16 - 8 * ch)) & 255;
}

struct Box {
  size_t begin, end;  // range of entries
  int range[3];       // max - min per channel
  uint64_t count;
  void Measure(const std::vector<Entry>& e) {
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    count = 0;
    for (size_t i = begin; i < end; ++i) {
      for (int ch = 0; ch < 3; ++ch) {
        lo[ch] = std::min(lo[ch], Channel(e[i].colour, ch));
        hi[ch] = std::max(hi[ch], Channel(e[i].colour, ch));
      }
      count += e[i].count;
    }
    for (int ch = 0; ch < 3; ++ch) range[ch] = hi[ch] - lo[ch];
  }
  int Widest() const {
    int best = 0;
    for (int ch = 1; ch < 3; ++ch)
      if (range[ch] > range[best]) best = ch;
    return best;
  }
};

}  // namespace

ColorQuantizer::Result ColorQuantizer::Quantize(const Surface& picture, int maxColors,
                                                std::optional<uint32_t> key) {
  maxColors = std::clamp(maxColors, 2, 256);
  const uint32_t* px = picture.Pixels();
  const size_t n = size_t(picture.Width()) * size_t(picture.Height());
  std::unordered_map<uint32_t, uint64_t> histogram;
  for (size_t i = 0; i < n; ++i) {
    const uint32_t c = px[i] & 0xFFFFFF;
    if (key && c == *key) continue;
    ++histogram[c];
  }
  std::vector<Entry> entries;
  entries.reserve(histogram.size());
  for (const auto& [c, count] : histogram) entries.push_back({c, count});
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.colour < b.colour; });

  Result result;
  if (key) result.Palette.push_back(*key);
  const size_t budget = size_t(maxColors) - (key ? 1 : 0);
  if (entries.size() <= budget) {
    for (const Entry& e : entries) result.Palette.push_back(e.colour);
  } else {
    // Median cut: split the box with the widest channel at the pixel-weighted
    // median of that channel until the budget is used.
    std::vector<Box> boxes;
    Box all{0, entries.size(), {0, 0, 0}, 0};
    all.Measure(entries);
    boxes.push_back(all);
    while (boxes.size() < budget) {
      int pick = -1;
      for (size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i].end - boxes[i].begin < 2) continue;
        if (pick < 0) {
          pick = int(i);
          continue;
        }
        const Box& a = boxes[i];
        const Box& b = boxes[size_t(pick)];
        if (a.range[a.Widest()] > b.range[b.Widest()] ||
            (a.range[a.Widest()] == b.range[b.Widest()] && a.count > b.count))
          pick = int(i);
      }
      if (pick < 0) break;
      Box box = boxes[size_t(pick)];
      const int ch = box.Widest();
      std::sort(entries.begin() + long(box.begin), entries.begin() + long(box.end),
                [ch](const Entry& a, const Entry& b) {
                  const int x = Channel(a.colour, ch), y = Channel(b.colour, ch);
                  return x != y ? x < y : a.colour < b.colour;
                });
      uint64_t half = box.count / 2, seen = 0;
      size_t cut = box.begin;
      while (cut < box.end - 1 && seen + entries[cut].count <= half) seen += entries[cut++].count;
      if (cut == box.begin) cut = box.begin + 1;
      Box lower{box.begin, cut, {0, 0, 0}, 0}, upper{cut, box.end, {0, 0, 0}, 0};
      lower.Measure(entries);
      upper.Measure(entries);
      boxes[size_t(pick)] = lower;
      boxes.push_back(upper);
    }
    for (const Box& box : boxes) {
      uint64_t sum[3] = {0, 0, 0};
      for (size_t i = box.begin; i < box.end; ++i)
        for (int ch = 0; ch < 3; ++ch)
          sum[ch] += uint64_t(Channel(entries[i].colour, ch)) * entries[i].count;
      uint32_t c = 0;
      for (int ch = 0; ch < 3; ++ch)
        c |= uint32_t((sum[ch] + box.count / 2) / box.count) << (16 - 8 * ch);
      if (key && c == *key) c ^= 1;  // never a second key entry
      result.Palette.push_back(c);
    }
  }

  // Each pixel takes the nearest entry; the key entry only for the key.
  const size_t first = key ? 1 : 0;
  std::unordered_map<uint32_t, uint8_t> nearest;
  result.Indexes.resize(n);
  for (size_t i = 0; i < n; ++i) {
    const uint32_t c = px[i] & 0xFFFFFF;
    if (key && c == *key) {
      result.Indexes[i] = 0;
      continue;
    }
    auto it = nearest.find(c);
    if (it == nearest.end()) {
      size_t best = first;
      int bestDist = 1 << 30;
      for (size_t k = first; k < result.Palette.size(); ++k) {
        int dist = 0;
        for (int ch = 0; ch < 3; ++ch) {
          const int d = Channel(c, ch) - Channel(result.Palette[k], ch);
          dist += d * d;
        }
        if (dist < bestDist) bestDist = dist, best = k;
      }
      it = nearest.emplace(c, uint8_t(best)).first;
    }
    result.Indexes[i] = it->second;
  }
  return result;
}

}  // namespace klv
