// Twips: 1440 to the inch, 15 to a pixel at 96 dots per inch.
#ifndef VANTREL_COMMON_LUMIFEX_TWIPS_H_
#define VANTREL_COMMON_LUMIFEX_TWIPS_H_

#include <QRect>

namespace lumifex {

constexpr int kTwipsPerPixel = 15;

constexpr int Pixels(int twips) { return twips / kTwipsPerPixel; }

constexpr QRect PixelRect(int left, int top, int width, int height) {
  return QRect(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
}

}  // namespace lumifex

#endif  // VANTREL_COMMON_LUMIFEX_TWIPS_H_
