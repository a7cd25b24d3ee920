// CellStyle: how a grid widget draws one cell of text, decided by core code from the cell's place
// and texts. Colours are RGB; the info background is the system's tooltip colour, which only the
// GUI knows, so it is a flag rather than a value.
#pragma once

#include "base/paint_list.h"

namespace zelkova {

struct CellStyle {
  Rgb background = kWhite;
  bool infoBackground = false;  // the system tooltip background instead of `background`
  Rgb font = kBlack;
  bool bold = false;
  bool leftAligned = false;  // otherwise centred
  int top = 2;               // pixels from the cell's top to the text
  friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

inline constexpr Rgb kAqua{0, 255, 255};
inline constexpr Rgb kFuchsia{255, 0, 255};
inline constexpr Rgb kYellow{255, 255, 0};

}  // namespace zelkova
