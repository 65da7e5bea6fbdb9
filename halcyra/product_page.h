// The address of the product's home page on the maker's web site: the page Help opens, the
// address the About box shows, and the default start-up address of the settings names.
#ifndef VANTREL_HALCYRA_PRODUCT_PAGE_H_
#define VANTREL_HALCYRA_PRODUCT_PAGE_H_

#include <QString>

namespace halcyra {

inline QString ProductPageAddress() noexcept {
  return QStringLiteral("https://www.kelvo.example/vantrel/");
}

}  // namespace halcyra

#endif  // VANTREL_HALCYRA_PRODUCT_PAGE_H_
