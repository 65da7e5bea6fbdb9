#include "vantrel/core/difference_risk.h"

namespace vantrel {

QString DifferenceRisk(const Difference& difference, const QString& driving_name,
                       const QString& other_name) {
  // Classification per kind follows; until then every difference asks for a look.
  (void)difference;
  (void)driving_name;
  (void)other_name;
  return QStringLiteral("unclassified: compare the two definitions before moving data");
}

}  // namespace vantrel
