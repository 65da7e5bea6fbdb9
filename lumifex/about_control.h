// The widget behind "LUMIFEX.About" (see about.h for the contract hosts rely on).
#ifndef VANTREL_LUMIFEX_ABOUT_CONTROL_H_
#define VANTREL_LUMIFEX_ABOUT_CONTROL_H_

#include <QWidget>

#include "lumifex/about.h"

class QFrame;
class QLabel;
class QPlainTextEdit;

namespace lumifex {

class UrlBox;

class AboutControl final : public QWidget, public _About {
  Q_OBJECT

 public:
  explicit AboutControl(QWidget* parent = nullptr);

  static const component::ClassIdentity& ClassInfo();
  const component::ClassIdentity& Identity() const override { return ClassInfo(); }
  component::Variant Invoke(const QString& member, component::InvokeKind kind,
                            const std::vector<component::Variant>& arguments) override;

  void SetAppExeName(const QString& sAppExeName) override;
  void SetProductName(const QString& sProductName) override;
  void SetProductURL(const QString& sProductURL) override;
  void SetProductVersion(const QString& sProductVersion) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UserControl_Resize();
  void FitWarning();
  void txtURL_Click();

  QLabel* lblProductName_;
  QLabel* lblAbout0_;
  QLabel* lblProductVersion_;
  QLabel* lblAbout2_;
  UrlBox* txtURL_;
  QFrame* Line1_;
  QPlainTextEdit* txtWarning_;
};

}  // namespace lumifex

#endif  // VANTREL_LUMIFEX_ABOUT_CONTROL_H_
