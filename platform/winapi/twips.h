// Twips: 1440 to the inch, 15 to a pixel at 96 dots per inch.
#ifndef VANTREL_PLATFORM_WINAPI_TWIPS_H_
#define VANTREL_PLATFORM_WINAPI_TWIPS_H_

#include <QRect>

namespace winapi {

constexpr int kTwipsPerPixel = 15;

constexpr int Pixels(int twips) { return twips / kTwipsPerPixel; }

constexpr QRect PixelRect(int left, int top, int width, int height) {
  return QRect(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
}

}  // namespace winapi

#endif  // VANTREL_PLATFORM_WINAPI_TWIPS_H_
