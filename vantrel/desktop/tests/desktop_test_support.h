// What the window tests share: an isolated registry and log folder, a start from an empty store,
// and a way through the modal boxes and dialogs that commands open.
#ifndef VANTREL_VANTREL_DESKTOP_TESTS_DESKTOP_TEST_SUPPORT_H_
#define VANTREL_VANTREL_DESKTOP_TESTS_DESKTOP_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QString>
#include <functional>
#include <vector>

#include "testing/registry_store.h"

namespace vantrel::desktop::test_support {

// The folders test_main.cpp points XDG_CONFIG_HOME and XDG_STATE_HOME at; the registry store
// is not there but in each DesktopTest's own folder.
QString ConfigFolder();
QString StateFolder();

// A registry store of each test's own (made before the fixture's members, which may read it),
// and empty logs.
class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override;
  QString StoreFile() const { return registry_store_.UserFile(); }

 private:
  corbenna::test_support::ScopedRegistryStore registry_store_;
};

struct ShownBox {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  bool busy_pointer;      // the main window showed the busy pointer while the box was up
  bool commands_enabled;  // any of its Run and Data Sources menu items and buttons was enabled
};

// Runs `action`; every message box that opens meanwhile is recorded and closed with OK, and
// every other modal dialog is handed to `on_dialog` (which must close it).
std::vector<ShownBox> RunThroughModals(const std::function<void()>& action,
                                       const std::function<void(QWidget*)>& on_dialog = {});

// Everything the application log's file road wrote under the state folder.
QString LoggedText();

}  // namespace vantrel::desktop::test_support

#endif  // VANTREL_VANTREL_DESKTOP_TESTS_DESKTOP_TEST_SUPPORT_H_
