// A canvas that records every call: the fonts made, the texts drawn with
// their rectangles, flags, colours and font, and the lines as paths of
// points.
//
// On its own it draws nothing and measures text as if every character were
// half as wide as the font is high (integer halves) and one font height tall,
// so that the size of a text at any font height is known exactly. Given a
// real canvas it passes every call on and records what that canvas measured.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "overlays/canvas.h"

namespace brindlemar::testing {

class RecordingCanvas final : public Canvas {
 public:
  // A font as the recorder hands it out, wrapping the real canvas's font.
  class Font final : public CanvasFont {
   public:
    Font(const FontSpec& s, std::unique_ptr<CanvasFont> real, int32_t* live)
        : fontSpec(s), inner(std::move(real)), live_(live) {
      ++*live_;
    }
    ~Font() override { --*live_; }
    FontSpec fontSpec;
    std::unique_ptr<CanvasFont> inner;

   private:
    int32_t* live_;
  };

  struct TextCall {
    std::string text;
    RectI rect;    // as passed in
    RectI result;  // as left by the call
    uint32_t format;
    uint32_t color;
    const CanvasFont* font;
    int32_t fontHeight;
  };

  static constexpr int32_t kDefaultFontHeight = 16;

  explicit RecordingCanvas(Canvas* real = nullptr) : real_(real) {}

  std::unique_ptr<CanvasFont> CreateFont(const FontSpec& fontSpec) override {
    fonts.push_back(fontSpec);
    return std::make_unique<Font>(fontSpec, real_ ? real_->CreateFont(fontSpec) : nullptr, &liveFonts);
  }
  CanvasFont* SelectFont(CanvasFont* font) override {
    CanvasFont* previous = selected;
    selected = font;
    if (real_) real_->SelectFont(font ? static_cast<Font*>(font)->inner.get() : nullptr);
    return previous;
  }
  SizeI TextExtent(std::string_view text) override {
    if (real_) return real_->TextExtent(text);
    const int32_t h = FontHeight();
    return SizeI{static_cast<int32_t>(text.size()) * (h / 2), h};
  }
  int32_t DrawText(std::string_view text, RectI& rect, uint32_t format) override {
    TextCall call{std::string(text), rect, rect, format, textColor, selected, FontHeight()};
    int32_t height = 0;
    if (real_) {
      height = real_->DrawText(text, rect, format);
    } else {
      const std::vector<std::string> lines = Lines(text);
      const int32_t h = FontHeight();
      int32_t widest = 0;
      for (const std::string& line : lines) widest = std::max(widest, static_cast<int32_t>(line.size()) * (h / 2));
      height = static_cast<int32_t>(lines.size()) * h;
      if (format & kTextCalcRect) {
        rect.right = rect.left + widest;
        rect.bottom = rect.top + height;
      }
    }
    call.result = rect;
    texts.push_back(call);
    return height;
  }
  void SetTextColor(uint32_t rgb) override {
    textColor = rgb;
    if (real_) real_->SetTextColor(rgb);
  }
  void SetBackgroundColor(uint32_t rgb) override {
    backgroundColor = rgb;
    if (real_) real_->SetBackgroundColor(rgb);
  }
  void SetBackground(Background mode) override {
    background = mode;
    if (real_) real_->SetBackground(mode);
  }
  void SelectPen(StockPen p) override {
    pen = p;
    if (real_) real_->SelectPen(p);
  }
  void SelectHollowBrush() override {
    hollowBrush = true;
    if (real_) real_->SelectHollowBrush();
  }
  void MoveTo(int32_t x, int32_t y) override {
    current = PointI{x, y};
    paths.push_back({current});
    if (real_) real_->MoveTo(x, y);
  }
  void LineTo(int32_t x, int32_t y) override {
    if (paths.empty()) paths.push_back({current});
    current = PointI{x, y};
    paths.back().push_back(current);
    if (real_) real_->LineTo(x, y);
  }
  void Polyline(const PointI* points, int32_t count) override {
    paths.emplace_back(points, points + count);
    if (real_) real_->Polyline(points, count);
  }
  void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
    rectangles.push_back(RectI{left, top, right, bottom});
    if (real_) real_->Rectangle(left, top, right, bottom);
  }

  int32_t FontHeight() const { return selected ? static_cast<const Font*>(selected)->fontSpec.height : kDefaultFontHeight; }

  // The lines a text breaks into at carriage returns, as the platform breaks
  // them: a line feed after a carriage return belongs to the break.
  static std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.emplace_back();
      } else {
        lines.back().push_back(text[i]);
      }
    }
    return lines;
  }

  std::vector<FontSpec> fonts;
  int32_t liveFonts = 0;
  CanvasFont* selected = nullptr;
  std::vector<TextCall> texts;
  uint32_t textColor = 0;
  uint32_t backgroundColor = 0xFFFFFF;
  Background background = Background::kOpaque;
  StockPen pen = StockPen::kBlack;
  bool hollowBrush = false;
  PointI current{0, 0};
  std::vector<std::vector<PointI>> paths;
  std::vector<RectI> rectangles;

 private:
  Canvas* real_;
};

}  // namespace brindlemar::testing
