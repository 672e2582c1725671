// The bitmap font: a sprite sheet whose slots hold glyphs in up to ten styles, a colour markup
// ("&" and a digit switch the style, "&&" is a literal ampersand), measuring and drawing of lines
// and blocks, and three animated text effects (burst, bobbing, scrolling line).
//
// Stored form (the block "letters" of "graph.dat"): the sheet's header (100 + 50 x Capacity bytes),
// then, integers 32-bit little-endian:
//       0  GlyphIndex   2240 slot numbers, entry (code - 32) x 10 + style; -1 = no glyph
//    8960  GlyphWidth   2240 advances, by slot
//   17920  GlyphHeight  2240 heights, by slot
//   26880  SpaceWidth   10 advances of a space, by style
// then the sheet's pixel rows. A block is refused unless every glyph slot number is -1 or a slot
// below 2240 and Capacity, every glyph size lies within the cell and every space width within
// 0 ... kMaxSheetSide.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "display/SpriteSurface.h"

class TDIB;
class TGraphCollection;

constexpr int32_t kFontStyles = 10;
constexpr int32_t kFirstGlyphCode = 32;  // codes below have no table entry
constexpr int32_t kGlyphCodes = 224;     // 32 ... 255
constexpr int32_t kGlyphSlots = 2240;    // the most slots a font can use
constexpr int32_t kMaxParticles = 2000;
constexpr int32_t kDefaultSpaceWidth = 10;
constexpr int32_t kFontTablesSize = 3 * kGlyphSlots * 4 + kFontStyles * 4;  // 26920

// How a style renders its glyphs: 1 plain, 2 outlined, 3 shadowed (other values render as 1).
struct TLetterStyle {
  uint8_t Kind = 1;
  int32_t Color = 0xFFFFFF;  // GDI colour value 0x00BBGGRR
  int32_t OutlineColor = 0;  // GDI colour value, for kinds 2 and 3
};

struct TParticle {
  float X = 0, Y = 0;
  uint32_t Color = 0;  // pixel value 0x00RRGGBB
  float DX = 0, DY = 0;
};

struct TBoomEffectRec {
  uint8_t Fade = 0;      // how fast the particles fade
  float Gravity = 0;     // added to every particle's vertical speed each frame
  int32_t Position = 0;  // 1-based number of the letter now bursting
  std::string Text;
  int32_t Delay = 0;      // frames the whole text is shown before the bursting starts
  int32_t Countdown = 0;  // frames left of that showing
};

struct TJumpEffectRec {
  std::string Codes;  // EncodeText of the text
  int32_t MinY = 0, MaxY = 0;
};

struct TGoLine {
  int32_t StartX = 0, EndX = 0;
  float Offset = 0;
  std::string Text;
  float Speed = 0;
};

class TLettersCollection : public TDXBaseSurface {
 public:
  TLettersCollection();

  std::array<int32_t, kGlyphSlots> GlyphIndex;   // by (code - 32) x 10 + style; -1 = none
  std::array<int32_t, kGlyphSlots> GlyphWidth;   // by slot: the advance
  std::array<int32_t, kGlyphSlots> GlyphHeight;  // by slot
  std::array<int32_t, kFontStyles> SpaceWidth;   // by style
  uint8_t BitsPerPixel = 32;
  TBoomEffectRec Boom;
  TJumpEffectRec Jump;
  // Shared: the burst uses records 0 ... ParticleCount - 1, the bobbing record i for letter i >= 1.
  std::array<TParticle, kMaxParticles> Particles{};
  int32_t ParticleCount = 0;
  TGoLine GoLine;

  void WriteHeader(uint8_t* buffer) const override;
  // Checks the tables (see the file comment) before anything is taken; false changes nothing.
  bool ReadHeader(const uint8_t* buffer) override;

  // Renders every picture of the collection, named with its character's decimal code, into free
  // slots as style 0 ... 9 (others do nothing). Pictures whose code is below 32 are skipped. Stops
  // at the first glyph that finds no free slot below 2240 (LastResult kNoFreeFrame) or whose copy
  // fails; the glyphs placed so far stay usable.
  void AddFontStyle(Display& device, const TGraphCollection& collection, const TLetterStyle& style,
                    int32_t styleIndex);

  // The glyph slot of a character in a style; -1 when it has none.
  int32_t GlyphFor(uint8_t code, int32_t style) const;

  // The glyph codes of a text as 4-byte little-endian integers: a slot number for a glyph,
  // -(style + 1) for a space. Every call starts in style 0; characters without a glyph give
  // nothing.
  std::string EncodeText(std::string_view text) const;
  // The same, one code at a time, without building the string.
  template <typename F>
  void ForEachCode(std::string_view text, F&& emit) const;

  // The lines of a text, split at each CR LF; a final CR LF adds no empty line.
  static void SplitLines(std::string_view text, std::vector<std::string>& lines);

  int32_t LineWidth(std::string_view line) const;
  // The tallest glyph of the line; 0 without glyphs (spaces do not count).
  int32_t LineHeight(std::string_view line) const;
  int32_t TextWidth(std::string_view text) const;
  // Each line's height plus spacing, the spacing counted after the last line too.
  int32_t TextHeight(std::string_view text, int32_t spacing) const;

  // One line, aligned to (x, y); glyphs share their top edge. Horizontal values above daCenter
  // draw as daLeft, vertical values other than daCenter, daTop, daBottom as daTop.
  void DrawLine(::Surface& dest, int32_t x, int32_t y, std::string_view line, uint8_t horizontal,
                uint8_t vertical);
  // A block of lines, each aligned horizontally as one line; vertical values other than daCenter,
  // daTop, daBottom put the block's top at 0.
  void DrawText(::Surface& dest, int32_t x, int32_t y, std::string_view text, uint8_t horizontal,
                uint8_t vertical, int32_t spacing);

  // Burst: the text is shown whole for delay frames, then its letters burst one after another into
  // particles that fall and fade; then it starts again. Draw once a frame; no pixel is written
  // outside clip (nor outside dest).
  void StartBoom(const std::string& text, uint8_t fade, float gravity, int32_t delay);
  void DrawBoom(::Surface& dest, int32_t x, int32_t y, const TRect& clip);

  // Bobbing letters between minY and maxY; with wave, as a sine wave along the text.
  void StartJump(const std::string& text, int32_t minY, int32_t maxY, bool wave);
  void DrawJump(::Surface& dest, int32_t x, int32_t y);

  // A line that scrolls left by speed pixels a frame from startX, back to startX once it has
  // reached endX.
  void SetGoLine(const std::string& text, int32_t startX, int32_t endX, float speed);
  void DrawGoLine(::Surface& dest, int32_t x, int32_t y);

 protected:
  int32_t HeaderExtraSize() const override { return kFontTablesSize; }

 private:
  void SpawnParticles();
  void RenderGlyph(::Surface& target, const TDIB& dib, const TLetterStyle& style);
};

template <typename F>
void TLettersCollection::ForEachCode(std::string_view text, F&& emit) const {
  int32_t style = 0;
  bool escape = false;
  for (const char c : text) {
    const auto ch = static_cast<uint8_t>(c);
    if (escape && ch != '&') {
      style = ch >= '0' && ch <= '9' ? ch - '0' : 0;
      escape = false;
    } else if (ch == '&' && !escape) {
      escape = true;
    } else {
      escape = false;
      if (ch == ' ') {
        emit(-(style + 1));
      } else {
        const int32_t slot = GlyphFor(ch, style);
        if (slot >= 0) emit(slot);
      }
    }
  }
}
