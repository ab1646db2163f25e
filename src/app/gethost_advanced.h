// The "Connect - Advanced" dialog: the port and the connection switches.
//
// It edits a copy of the values; the caller takes them back with values()
// only when the dialog was accepted.
#pragma once

#include <QDialog>

#include "config/settings.h"
#include "platform/user_interface.h"

class QCheckBox;
class QLineEdit;

namespace kestrel {

// The settings the Advanced dialog edits, with the same defaults as Settings.
struct ConnectAdvancedValues {
    int port = 23;
    int autoconnect = 0;
    int autoreconnect = 0;
    int exit = 0;
    int confirm = 1;
    int alive = 0;
    int ssl = 0;

    static ConnectAdvancedValues fromSettings(const Settings& settings);
    void applyTo(Settings& settings) const;
};

class ConnectAdvancedDialog : public QDialog {
    Q_OBJECT

  public:
    ConnectAdvancedDialog(const ConnectAdvancedValues& values, UserInterface& ui,
                          QWidget* parent = nullptr);

    // The values as they were given, or as the dialog left them on OK.
    const ConnectAdvancedValues& values() const { return values_; }

    // Reads the fields into the values, then closes the dialog.
    void accept() override;

  private:
    void keepAliveClicked(bool checked);

    ConnectAdvancedValues values_;
    UserInterface& ui_;
    QLineEdit* port_;
    QCheckBox* autoconnect_;
    QCheckBox* autoreconnect_;
    QCheckBox* exit_;
    QCheckBox* confirm_;
    QCheckBox* alive_;
    QCheckBox* ssl_;
};

}  // namespace kestrel
