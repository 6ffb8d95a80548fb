#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/posix/x11/frame_converter.h"
#include "platform/posix/x11/pixel_format.h"

namespace brindlemar::x11 {
namespace {

// A bottom-up memory surface image of width x height visible pixels and its
// two guard rows, filled through Set.
struct Frame {
  Frame(int32_t width, int32_t height, int32_t bits) {
    header.width = width;
    header.height = height + 2;
    header.bitCount = static_cast<int16_t>(bits);
    if (bits == 16) {
      header.compression = 3;
      header.masks[0] = 0x7C00;
      header.masks[1] = 0x03E0;
      header.masks[2] = 0x001F;
    }
    pixels.assign(RowStride(width, bits) * static_cast<size_t>(height + 2), 0);
  }

  // Top-down coordinates of the visible picture; 8-bit channels, cut to 5
  // bits for the 16-bit image.
  void Set(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
    const size_t stride = RowStride(header.width, header.bitCount);
    uint8_t* row = pixels.data() + static_cast<size_t>(header.height - 3 - y) * stride;
    if (header.bitCount == 24) {
      row[x * 3] = b;
      row[x * 3 + 1] = g;
      row[x * 3 + 2] = r;
    } else {
      const uint32_t v = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
      row[x * 2] = static_cast<uint8_t>(v);
      row[x * 2 + 1] = static_cast<uint8_t>(v >> 8);
    }
  }

  BitmapHeader header;
  std::vector<uint8_t> pixels;
};

// The two conversions the saver has: the plain byte loop and the converter
// it runs every frame. Every behaviour below holds for both.
using Conversion = void (*)(const uint8_t*, const BitmapHeader&, int32_t, int32_t, const PixelLayout&, uint8_t*,
                            size_t);

void ConvertFast(const uint8_t* bits, const BitmapHeader& header, int32_t width, int32_t height,
                 const PixelLayout& layout, uint8_t* out, size_t outStride) {
  FrameConverter converter;
  converter.Convert(bits, header, width, height, layout, out, outStride);
}

class X11PixelFormat : public testing::TestWithParam<Conversion> {
 protected:
  void ConvertFrame(const uint8_t* bits, const BitmapHeader& header, int32_t width, int32_t height,
                    const PixelLayout& layout, uint8_t* out, size_t outStride) {
    GetParam()(bits, header, width, height, layout, out, outStride);
  }
};

INSTANTIATE_TEST_SUITE_P(Conversions, X11PixelFormat, testing::Values(&ConvertFrameReference, &ConvertFast),
                         [](const testing::TestParamInfo<Conversion>& info) {
                           return std::string(info.index == 0 ? "Reference" : "Fast");
                         });

uint32_t PixelAt(const std::vector<uint8_t>& out, size_t stride, int32_t bytes, bool msbFirst, int32_t x, int32_t y) {
  const uint8_t* p = out.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(x * bytes);
  uint32_t v = 0;
  for (int32_t k = 0; k < bytes; ++k) v |= uint32_t{p[msbFirst ? bytes - 1 - k : k]} << (8 * k);
  return v;
}

TEST_P(X11PixelFormat, ChannelsGoUnderTheVisualsMasks) {
  struct Case {
    const char* name;
    PixelLayout layout;
    uint32_t white, orange, black;  // 255,255,255; 255,128,0; 0,0,0
  };
  const Case cases[] = {
      {"24 in 32 bits", {0xFF0000, 0x00FF00, 0x0000FF, 0, 4, false}, 0xFFFFFF, 0xFF8000, 0},
      {"32-bit ARGB", {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, 4, false}, 0xFFFFFFFF, 0xFFFF8000, 0xFF000000},
      {"big-endian", {0xFF0000, 0x00FF00, 0x0000FF, 0, 4, true}, 0xFFFFFF, 0xFF8000, 0},
      {"blue first", {0x0000FF, 0x00FF00, 0xFF0000, 0, 4, false}, 0xFFFFFF, 0x0080FF, 0},
      {"24 bits packed", {0xFF0000, 0x00FF00, 0x0000FF, 0, 3, false}, 0xFFFFFF, 0xFF8000, 0},
      {"5-6-5", {0xF800, 0x07E0, 0x001F, 0, 2, false}, 0xFFFF, 0xFC00, 0},
      {"10-bit", {0x3FF00000, 0x000FFC00, 0x000003FF, 0, 4, false}, 0x3FCFF3FC, 0x3FC80000, 0},
  };
  Frame frame(3, 2, 24);
  frame.Set(0, 0, 255, 255, 255);
  frame.Set(1, 0, 255, 128, 0);
  for (const Case& c : cases) {
    const int32_t n = c.layout.bytesPerPixel;
    const size_t stride = static_cast<size_t>(3 * n + 5);  // a padded row
    std::vector<uint8_t> out(stride * 2, 0xAA);
    ConvertFrame(frame.pixels.data(), frame.header, 3, 2, c.layout, out.data(), stride);
    EXPECT_EQ(PixelAt(out, stride, n, c.layout.msbFirst, 0, 0), c.white) << c.name;
    EXPECT_EQ(PixelAt(out, stride, n, c.layout.msbFirst, 1, 0), c.orange) << c.name;
    EXPECT_EQ(PixelAt(out, stride, n, c.layout.msbFirst, 2, 1), c.black) << c.name;
    // The row padding is left alone.
    EXPECT_EQ(out[stride - 1], 0xAA) << c.name;
  }
}

TEST_P(X11PixelFormat, RowsComeTopDownWithoutTheGuardRows) {
  Frame frame(2, 3, 24);
  frame.Set(0, 0, 10, 0, 0);
  frame.Set(0, 1, 20, 0, 0);
  frame.Set(0, 2, 30, 0, 0);
  // The guard rows come last in memory: mark them so that a copy of them shows.
  std::fill(frame.pixels.end() - static_cast<ptrdiff_t>(2 * RowStride(2, 24)), frame.pixels.end(), 0xFF);
  const PixelLayout layout;
  std::vector<uint8_t> out(2 * 4 * 4, 0);
  ConvertFrame(frame.pixels.data(), frame.header, 2, 4, layout, out.data(), 8);
  EXPECT_EQ(PixelAt(out, 8, 4, false, 0, 0), 10u << 16);
  EXPECT_EQ(PixelAt(out, 8, 4, false, 0, 1), 20u << 16);
  EXPECT_EQ(PixelAt(out, 8, 4, false, 0, 2), 30u << 16);
  // Asked for a fourth row that the image does not have: left untouched.
  EXPECT_EQ(PixelAt(out, 8, 4, false, 0, 3), 0u);
}

TEST_P(X11PixelFormat, SixteenBitFramesReadTheirBitFields) {
  Frame frame(2, 1, 16);
  frame.Set(0, 0, 255, 255, 255);
  frame.Set(1, 0, 0, 128, 8);
  std::vector<uint8_t> out(8, 0);
  ConvertFrame(frame.pixels.data(), frame.header, 2, 1, PixelLayout{}, out.data(), 8);
  // Five bits widen with their top bits repeated: full stays full.
  EXPECT_EQ(PixelAt(out, 8, 4, false, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(out, 8, 4, false, 1, 0), (0x84u << 8) | 0x08u);
}

TEST_P(X11PixelFormat, NarrowerRequestsAndOtherDepthsCopyOnlyWhatFits) {
  Frame frame(4, 2, 24);
  for (int32_t x = 0; x < 4; ++x) frame.Set(x, 0, 200, 100, 50);
  std::vector<uint8_t> out(16 * 2, 0);
  ConvertFrame(frame.pixels.data(), frame.header, 2, 1, PixelLayout{}, out.data(), 16);
  EXPECT_EQ(PixelAt(out, 16, 4, false, 1, 0), 0xC86432u);
  EXPECT_EQ(PixelAt(out, 16, 4, false, 2, 0), 0u);

  frame.header.bitCount = 8;
  std::vector<uint8_t> untouched(16 * 2, 0);
  ConvertFrame(frame.pixels.data(), frame.header, 4, 2, PixelLayout{}, untouched.data(), 16);
  EXPECT_EQ(untouched, std::vector<uint8_t>(16 * 2, 0));
}

// Every kernel of the converter, on every pixel layout the saver fills and a
// few it might meet, gives the reference's bytes for frames of random
// pixels. The widths reach across each kernel's step and its tail, and the
// rows are padded so that a write past a row's last pixel shows.
class X11ConverterKernel : public testing::TestWithParam<ConvertPath> {};

TEST_P(X11ConverterKernel, EqualsTheReferenceByteForByte) {
  const ConvertPath path = GetParam();
  if (!convert_detail::ProcessorHas(path)) GTEST_SKIP() << "this processor lacks the kernel's instructions";
  struct Layout {
    const char* name;
    PixelLayout layout;
  };
  const Layout layouts[] = {
      {"24 in 32 bits", {0xFF0000, 0x00FF00, 0x0000FF, 0, 4, false}},
      {"32-bit ARGB", {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, 4, false}},
      {"24 in 32 bits, big-endian", {0xFF0000, 0x00FF00, 0x0000FF, 0, 4, true}},
      {"32-bit ARGB, big-endian", {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, 4, true}},
      {"blue first", {0x0000FF, 0x00FF00, 0xFF0000, 0, 4, false}},
      {"24 bits packed", {0xFF0000, 0x00FF00, 0x0000FF, 0, 3, false}},
      {"24 bits packed, big-endian", {0xFF0000, 0x00FF00, 0x0000FF, 0, 3, true}},
      {"24 bits packed, blue first", {0x0000FF, 0x00FF00, 0xFF0000, 0, 3, false}},
      {"5-6-5", {0xF800, 0x07E0, 0x001F, 0, 2, false}},
      {"5-6-5, big-endian", {0xF800, 0x07E0, 0x001F, 0, 2, true}},
      {"5-5-5", {0x7C00, 0x03E0, 0x001F, 0, 2, false}},
      {"10-bit", {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000, 4, false}},
      {"one mask for two channels", {0x00FF00, 0x00FF00, 0x0000FF, 0, 4, false}},
  };
  const int32_t widths[] = {1, 5, 6, 9, 10, 11, 13, 17, 37, 64, 101};
  std::mt19937 random(14);
  for (int32_t bits : {24, 16}) {
    for (int32_t width : widths) {
      const int32_t height = 3;
      Frame frame(width, height, bits);
      for (uint8_t& byte : frame.pixels) byte = static_cast<uint8_t>(random());
      for (const Layout& l : layouts) {
        const size_t stride = static_cast<size_t>(width * l.layout.bytesPerPixel + 7);
        std::vector<uint8_t> expected(stride * (height + 1), 0xAA);
        ConvertFrameReference(frame.pixels.data(), frame.header, width, height + 1, l.layout, expected.data(),
                              stride);
        FrameConverter converter;
        converter.LimitPath(path);
        std::vector<uint8_t> out(expected.size(), 0xAA);
        converter.Convert(frame.pixels.data(), frame.header, width, height + 1, l.layout, out.data(), stride);
        EXPECT_EQ(out, expected) << l.name << ", " << bits << "-bit frame, width " << width << ", kernel "
                                 << static_cast<int32_t>(converter.Path());
      }
    }
  }
}

std::string KernelName(const testing::TestParamInfo<ConvertPath>& info) {
  const char* names[] = {"Tables", "Ssse3", "Avx2"};
  return names[static_cast<int32_t>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Kernels, X11ConverterKernel,
                         testing::Values(ConvertPath::kTables, ConvertPath::kSsse3, ConvertPath::kAvx2), KernelName);

// A fader that blacks out what it is given, and checks that its ends rise.
class BlackingFader final : public ImageFader {
 public:
  explicit BlackingFader(std::vector<uint8_t>& image) : image_(image) {}
  void Through(uint32_t end) override {
    EXPECT_GE(end, done_);
    for (; done_ < end && done_ < image_.size(); ++done_) image_[done_] = 0;
  }
  uint32_t done_ = 0;

 private:
  std::vector<uint8_t>& image_;
};

// Converting while fading shows every row as it was before the fade reached
// it, and leaves the fader everything up to the guard rows, the rows below a
// smaller window included.
TEST(X11FrameConverter, FadingConvertsEachRowBeforeItFades) {
  const PixelLayout argb{0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, 4, false};
  struct Case {
    int32_t width, height, shownWidth, shownHeight;
  };
  const Case cases[] = {{40, 50, 40, 50}, {13, 17, 13, 17}, {40, 50, 25, 20}, {7, 3, 7, 0}};
  std::mt19937 random(3);
  for (const Case& c : cases) {
    Frame frame(c.width, c.height, 24);
    for (uint8_t& byte : frame.pixels) byte = static_cast<uint8_t>(random() | 1);
    const size_t stride = static_cast<size_t>(c.width) * 4;
    std::vector<uint8_t> expected(stride * c.height, 0x55), out(stride * c.height, 0x55);
    ConvertFrameReference(frame.pixels.data(), frame.header, c.shownWidth, c.shownHeight, argb, expected.data(),
                          stride);
    BlackingFader fader(frame.pixels);
    FrameConverter converter;
    converter.ConvertFading(frame.pixels.data(), frame.header, c.shownWidth, c.shownHeight, argb, out.data(),
                            stride, fader);
    EXPECT_EQ(out, expected) << c.width << "x" << c.height << " shown " << c.shownWidth << "x" << c.shownHeight;
    EXPECT_EQ(fader.done_, RowStride(c.width, 24) * static_cast<uint32_t>(c.height));
  }
}

// Black stays black without being written again, but only where the output
// is known to hold it: frames whose black parts come and go, pixel layouts
// whose black is not zero, new output memory, and output written by others.
TEST(X11FrameConverter, LeavesOnlyShownBlackAlone) {
  const int32_t width = 150, height = 6;
  struct Layout {
    const char* name;
    PixelLayout layout;
  };
  const Layout layouts[] = {{"32-bit ARGB", {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, 4, false}},
                            {"24 bits packed, big-endian", {0xFF0000, 0x00FF00, 0x0000FF, 0, 3, true}},
                            {"5-6-5", {0xF800, 0x07E0, 0x001F, 0, 2, false}}};
  std::mt19937 random(11);
  for (int32_t bits : {24, 16}) {
    for (const Layout& l : layouts) {
      SCOPED_TRACE(::testing::Message() << bits << "-bit frames onto " << l.name);
      const size_t stride = static_cast<size_t>(width * l.layout.bytesPerPixel + 4);
      std::vector<uint8_t> out(stride * height, 0), other(stride * height, 0);
      FrameConverter converter;
      for (int32_t frame = 0; frame < 12; ++frame) {
        // Each row black but for a few lit pixels that move from frame to
        // frame; every fourth frame all black.
        Frame picture(width, height, bits);
        for (int32_t y = 0; y < height && frame % 4 != 3; ++y) {
          for (int32_t k = 0; k < 3; ++k) {
            picture.Set(static_cast<int32_t>(random() % width), y, static_cast<uint8_t>(random() | 8), 0, 0);
          }
        }
        // Frames 5 and 9 go to other memory; before frame 7 others write.
        std::vector<uint8_t>& target = frame == 5 || frame == 9 ? other : out;
        if (frame == 7) {
          std::fill(out.begin(), out.end(), 0x3C);
          converter.Forget();
        }
        std::vector<uint8_t> expected = target;
        ConvertFrameReference(picture.pixels.data(), picture.header, width, height, l.layout, expected.data(), stride);
        converter.Convert(picture.pixels.data(), picture.header, width, height, l.layout, target.data(), stride);
        ASSERT_EQ(target, expected) << "frame " << frame;
      }
    }
  }
}

// A converter kept across frames follows a change of layout or of frame
// depth instead of using what it built for the last one.
TEST(X11FrameConverter, FollowsAChangeOfLayoutOrDepth) {
  Frame wide(8, 2, 24), narrow(8, 2, 16);
  std::mt19937 random(7);
  for (uint8_t& byte : wide.pixels) byte = static_cast<uint8_t>(random());
  for (uint8_t& byte : narrow.pixels) byte = static_cast<uint8_t>(random());
  const PixelLayout argb{0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, 4, false};
  const PixelLayout swapped{0xFF0000, 0x00FF00, 0x0000FF, 0, 4, true};
  const PixelLayout rgb565{0xF800, 0x07E0, 0x001F, 0, 2, false};
  struct Step {
    const Frame* frame;
    PixelLayout layout;
  };
  const Step steps[] = {{&wide, argb}, {&wide, swapped}, {&narrow, swapped}, {&narrow, rgb565}, {&wide, rgb565}};
  FrameConverter converter;
  for (const Step& step : steps) {
    const size_t stride = 8 * 4;
    std::vector<uint8_t> expected(stride * 2, 0), out(stride * 2, 0);
    ConvertFrameReference(step.frame->pixels.data(), step.frame->header, 8, 2, step.layout, expected.data(), stride);
    converter.Convert(step.frame->pixels.data(), step.frame->header, 8, 2, step.layout, out.data(), stride);
    EXPECT_EQ(out, expected) << step.frame->header.bitCount << "-bit frame onto " << step.layout.bytesPerPixel
                             << " bytes, msb first " << step.layout.msbFirst;
  }
}

}  // namespace
}  // namespace brindlemar::x11
