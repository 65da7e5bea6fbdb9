#include "lumifex/about_control.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <algorithm>
#include <memory>

#include "lumifex/url_box.h"
#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "platform/component/member_table.h"
#include "platform/component/space_trim.h"
#include "platform/winapi/twips.h"

namespace lumifex {
namespace {

using component::InvokeKind;
using component::Variant;
using winapi::PixelRect;
using winapi::Pixels;

// Shown until the host sets ProductName and ProductURL.
const char kPlaceholderName[] = "Product Name";
const char kPlaceholderAddress[] = "https://www.kelvo.example/";

const char kNotice[] = "Copyright \u00A9 1999-2026 Kelvo. All rights reserved.";
// Five lines, each ended by CR LF.
const char kWarning[] =
    "Warning: This computer program is protected by copyright law and\r\n"
    "international treaties. Unauthorized reproduction or distribution\r\n"
    "of this program, or any portion of it, may result in severe civil\r\n"
    "and criminal penalties, and will be prosecuted to the maximum\r\n"
    "extent possible under the law.\r\n";

// The named family where the system has it, else the closest of the same kind.
QFont FontOf(const QStringList& families, qreal points) {
  QFont font;
  font.setFamilies(families);
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  return font;
}

QFont ArialFont() { return FontOf({"Arial", "Liberation Sans", "Arimo", "DejaVu Sans"}, 9.75); }

QLabel* SelfSizingLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                        const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(font);
  label->move(Pixels(left), Pixels(top));
  label->adjustSize();
  return label;
}

// The one "halcyra.common" object of this thread, made on first use.
std::shared_ptr<component::Dispatch> CommonObject() {
  thread_local std::shared_ptr<component::Dispatch> common;
  if (!common) common = component::CreateObject(QStringLiteral("halcyra.common"));
  return common;
}

}  // namespace

AboutControl::AboutControl(QWidget* parent) : QWidget(parent) {
  QPalette face = palette();
  const QColor button_face = face.color(QPalette::Button);
  face.setColor(QPalette::Window, button_face);
  face.setColor(QPalette::Base, button_face);
  setPalette(face);
  setAutoFillBackground(true);

  lblProductName_ = SelfSizingLabel(
      this, "lblProductName", QString::fromUtf8(kPlaceholderName), 120, 120,
      FontOf({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "DejaVu Sans"}, 18));
  lblAbout0_ =
      SelfSizingLabel(this, "lblAbout_0", QStringLiteral("Version:"), 120, 600, ArialFont());
  lblProductVersion_ = SelfSizingLabel(this, "lblProductVersion", QString(), 840, 600, ArialFont());
  // A font wider than the design's would put the caption under the version: keep them apart.
  lblProductVersion_->move(std::max(lblProductVersion_->x(), lblAbout0_->geometry().right() + 4),
                           lblProductVersion_->y());
  lblAbout2_ =
      SelfSizingLabel(this, "lblAbout_2", QString::fromUtf8(kNotice), 120, 840, ArialFont());

  txtURL_ = new UrlBox(this);
  txtURL_->setObjectName(QStringLiteral("txtURL"));
  txtURL_->setFont(ArialFont());
  txtURL_->setText(QString::fromUtf8(kPlaceholderAddress));
  txtURL_->setGeometry(PixelRect(120, 1200, 5655, 285));
  txtURL_->setFocusPolicy(Qt::ClickFocus);
  txtURL_->setCursor(Qt::WhatsThisCursor);
  QPalette link = txtURL_->palette();
  link.setColor(QPalette::Text, QColor(0, 0, 255));
  txtURL_->setPalette(link);
  connect(txtURL_, &UrlBox::clicked, this, &AboutControl::txtURL_Click);

  Line1_ = new QFrame(this);
  Line1_->setObjectName(QStringLiteral("Line1"));
  Line1_->setFrameShape(QFrame::HLine);
  Line1_->setFrameShadow(QFrame::Plain);
  Line1_->setLineWidth(1);

  txtWarning_ = new QPlainTextEdit(this);
  txtWarning_->setObjectName(QStringLiteral("txtWarning"));
  txtWarning_->setReadOnly(true);
  txtWarning_->setFocusPolicy(Qt::ClickFocus);
  txtWarning_->setPlainText(QString::fromUtf8(kWarning).replace(QStringLiteral("\r\n"), "\n"));
  txtWarning_->setGeometry(PixelRect(120, 3240, 5535, 1095));
  FitWarning();

  resize(Pixels(5835), Pixels(4455));
  UserControl_Resize();
}

// The notice's five lines, each on one line of the box and all of them in it: the box's size is
// the design's, so the font shrinks until the longest line and every line fit, at any scale.
void AboutControl::FitWarning() {
  txtWarning_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtWarning_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  txtWarning_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const QStringList lines = txtWarning_->toPlainText().split(u'\n', Qt::SkipEmptyParts);
  const qreal margin = txtWarning_->document()->documentMargin();
  const int frame = txtWarning_->frameWidth();
  const qreal width = txtWarning_->width() - 2 * frame - 2 * margin;
  const qreal height = txtWarning_->height() - 2 * frame - 2 * margin;
  QFont font = txtWarning_->font();
  for (qreal points = font.pointSizeF(); points >= 5; points -= 0.25) {
    font.setPointSizeF(points);
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
    if (widest <= width && metrics.lineSpacing() * static_cast<qreal>(lines.size()) <= height)
      break;
  }
  txtWarning_->setFont(font);
}

const component::ClassIdentity& AboutControl::ClassInfo() {
  static const component::ClassIdentity identity{
      QStringLiteral("LUMIFEX.About"), QUuid("{3C1F6A52-9E7B-4C1D-8A36-5B0D2E7F4A11}"),
      QStringLiteral("_About"), QUuid("{3C1F6A52-9E7B-4C1D-8A36-5B0D2E7F4A12}")};
  return identity;
}

Variant AboutControl::Invoke(const QString& member, InvokeKind kind,
                             const std::vector<Variant>& arguments) {
  using P = component::Properties<AboutControl>;
  static const component::MemberTable<AboutControl> table{
      {"AppExeName", InvokeKind::kPropertyPut, &P::Put<&AboutControl::SetAppExeName>},
      {"ProductName", InvokeKind::kPropertyPut, &P::Put<&AboutControl::SetProductName>},
      {"ProductURL", InvokeKind::kPropertyPut, &P::Put<&AboutControl::SetProductURL>},
      {"ProductVersion", InvokeKind::kPropertyPut, &P::Put<&AboutControl::SetProductVersion>},
  };
  return table.Invoke(*this, member, kind, arguments);
}

void AboutControl::SetAppExeName(const QString& sAppExeName) {
  // Kept for the host's own use; visible to diagnostics as a property, never on screen.
  setProperty("AppExeName", component::TrimSpaces(sAppExeName));
}

void AboutControl::SetProductName(const QString& sProductName) {
  lblProductName_->setText(sProductName);
  lblProductName_->adjustSize();
}

void AboutControl::SetProductURL(const QString& sProductURL) { txtURL_->setText(sProductURL); }

void AboutControl::SetProductVersion(const QString& sProductVersion) {
  lblProductVersion_->setText(sProductVersion);
  lblProductVersion_->adjustSize();
}

void AboutControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UserControl_Resize();
}

void AboutControl::UserControl_Resize() { Line1_->setGeometry(0, Pixels(1680), width(), 1); }

void AboutControl::txtURL_Click() {
  // An exception must not cross Qt's event dispatch, so a failure is shown here instead.
  QString failure;
  try {
    CommonObject()->Call(QStringLiteral("DisplayURL"), {Variant(txtURL_->text())});
    return;
  } catch (const component::Error& error) {
    failure = QStringLiteral("%1 (%2)").arg(error.description()).arg(error.number());
  } catch (const std::exception& error) {
    failure = QString::fromLocal8Bit(error.what());
  }
  auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("About"), failure,
                              QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

namespace {

std::shared_ptr<component::Dispatch> CreateAbout() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    throw component::Error(
        component::kCannotCreateObject, AboutControl::ClassInfo().prog_id,
        QStringLiteral("%1: the About control needs a QApplication")
            .arg(component::StandardDescription(component::kCannotCreateObject)));
  }
  auto* about = new AboutControl;
  // A parent the host gives the widget deletes it first; then there is nothing left to delete.
  QPointer<AboutControl> alive(about);
  return std::shared_ptr<component::Dispatch>(
      static_cast<_About*>(about), [alive](component::Dispatch*) { delete alive.data(); });
}

const component::ClassRegistrar kRegistrar(AboutControl::ClassInfo(), CreateAbout);

}  // namespace
}  // namespace lumifex
