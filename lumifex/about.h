// The About control: the body of a product's About box (product name, version, a notice line,
// the product's web address as a link, a separator line and a legal notice).
//
// Created as "LUMIFEX.About" through component::CreateObject, which loads liblumifex.so; a
// missing or broken plug-in is error 429 or 48 for the host. Creating it needs a QApplication:
// without one the factory throws 429 instead of aborting the process.
//
// The object is a QWidget as well as an _About: a host reaches the widget with
//   auto* widget = dynamic_cast<QWidget*>(object.get());
// and places it on its window. Ownership: until the widget has a parent, the returned
// shared_ptr owns it and releasing the last reference deletes it. Once a host gives it a parent,
// the parent deletes it with itself, as Qt does; releasing the shared_ptr later deletes nothing,
// and the object must not be used after its parent is gone.
//
// The four properties are write-only text (called by name: property puts; a get is error 438).
// Each takes effect at once. Clicking the web address hands its current text to DisplayURL of
// one "halcyra.common" object kept per thread; if that object cannot be created, the click shows
// the error in a message box that does not block.
//
// Geometry is in twips, 15 to a pixel; the design size is 5835 x 4455 twips. Children never move
// or resize except the separator line, which always spans the control's width.
#ifndef VANTREL_LUMIFEX_ABOUT_H_
#define VANTREL_LUMIFEX_ABOUT_H_

#include <QString>

#include "platform/component/dispatch.h"

namespace lumifex {

// The interface, in slot order.
class _About : public component::Dispatch {
 public:
  // Kept without leading and trailing spaces; nothing shows it.
  virtual void SetAppExeName(const QString& sAppExeName) = 0;
  // The caption of lblProductName, which sizes itself to it on one line.
  virtual void SetProductName(const QString& sProductName) = 0;
  // The text of txtURL, the address a click opens.
  virtual void SetProductURL(const QString& sProductURL) = 0;
  // The caption of lblProductVersion.
  virtual void SetProductVersion(const QString& sProductVersion) = 0;
};

}  // namespace lumifex

#endif  // VANTREL_LUMIFEX_ABOUT_H_
