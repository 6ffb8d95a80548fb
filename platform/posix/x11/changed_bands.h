// What of a picture to send the X server: the tiles a conversion wrote,
// gathered into a few rectangles. Each request costs the server a copy of
// the pixels it names, so what stayed black is left out; each request also
// costs some work of its own, so tiles close together in a band of rows go
// in one rectangle, and rectangles alike in neighbouring bands in one.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace brindlemar::x11 {

// The changed tiles of a picture: kTilePixels wide (a multiple of the
// converter's groups of eight), kTileRows high, a flag each, band after band
// from the top. The tiles of the last column and band may be cut short.
struct ChangedTiles {
  static constexpr int32_t kTilePixels = 64;
  static constexpr int32_t kTileRows = 16;

  void Reset(int32_t pictureWidth, int32_t pictureHeight) {
    width = std::max(pictureWidth, 0);
    height = std::max(pictureHeight, 0);
    columns = (width + kTilePixels - 1) / kTilePixels;
    bands = (height + kTileRows - 1) / kTileRows;
    changed.assign(static_cast<size_t>(columns) * static_cast<size_t>(bands), 0);
  }
  // The flags of the band row y lies in.
  uint8_t* BandOf(int32_t y) { return changed.data() + static_cast<size_t>(y / kTileRows) * columns; }
  // Pixels first..end-1 of row y changed.
  void Mark(int32_t y, int32_t first, int32_t end) {
    uint8_t* band = BandOf(y);
    for (int32_t t = first / kTilePixels; t * kTilePixels < end; ++t) band[t] = 1;
  }
  bool At(int32_t column, int32_t band) const {
    return changed[static_cast<size_t>(band) * columns + static_cast<size_t>(column)] != 0;
  }

  int32_t width = 0;
  int32_t height = 0;
  int32_t columns = 0;
  int32_t bands = 0;
  std::vector<uint8_t> changed;
};

// Pixels first .. end-1 of a row.
struct RowSpan {
  int32_t first = 0;
  int32_t end = 0;
};

struct PutRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// A band's runs of changed tiles, a run taking in gaps of up to joinGap
// unchanged tiles: pixel spans first..end.
inline void BandRuns(const ChangedTiles& tiles, int32_t band, int32_t joinGap, std::vector<RowSpan>& runs) {
  runs.clear();
  for (int32_t column = 0; column < tiles.columns;) {
    if (!tiles.At(column, band)) {
      ++column;
      continue;
    }
    int32_t end = column + 1;  // past the run's last changed tile
    for (int32_t next = end; next < tiles.columns && next - end <= joinGap; ++next) {
      if (tiles.At(next, band)) end = next + 1;
    }
    runs.push_back({column * ChangedTiles::kTilePixels, std::min(end * ChangedTiles::kTilePixels, tiles.width)});
    column = end;
  }
}

// The rectangles to put: in each band its runs of changed tiles, or the
// whole band where they cover a quarter of it or more (an X server copies
// whole rows of its image in one go, parts of rows three to four times
// slower a pixel); a run as wide as one in the band above joins it; the
// whole picture where they would cover half of it. Every changed tile lies
// in exactly one rectangle, and every rectangle in the picture.
inline std::vector<PutRect> ChangedBands(const ChangedTiles& tiles, int32_t joinGap) {
  std::vector<PutRect> rects;
  std::vector<size_t> open, nextOpen;  // the rectangles reaching the band above, and this band
  std::vector<RowSpan> runs;
  for (int32_t band = 0; band < tiles.bands; ++band) {
    const int32_t y = band * ChangedTiles::kTileRows;
    const int32_t rows = std::min(ChangedTiles::kTileRows, tiles.height - y);
    BandRuns(tiles, band, joinGap, runs);
    int32_t covered = 0;
    for (const RowSpan& run : runs) covered += run.end - run.first;
    if (4 * covered >= tiles.width && runs.size() > 1) runs = {{0, tiles.width}};
    nextOpen.clear();
    for (const RowSpan& run : runs) {
      const int32_t width = run.end - run.first;
      auto above = std::find_if(open.begin(), open.end(),
                                [&](size_t k) { return rects[k].x == run.first && rects[k].width == width; });
      if (above != open.end()) {
        rects[*above].height += rows;
        nextOpen.push_back(*above);
        open.erase(above);
      } else {
        nextOpen.push_back(rects.size());
        rects.push_back({run.first, y, width, rows});
      }
    }
    std::swap(open, nextOpen);
  }
  // Much of the picture changed: all of it in one request costs the server
  // no more.
  int64_t area = 0;
  for (const PutRect& r : rects) area += int64_t{r.width} * r.height;
  if (2 * area >= int64_t{tiles.width} * tiles.height && rects.size() > 1) rects = {{0, 0, tiles.width, tiles.height}};
  return rects;
}

}  // namespace brindlemar::x11
