// gethost: the Connect dialog, which asks for the host to connect to.
//
// It offers the host history and the Advanced dialog. On OK the advanced values
// confirmed there go into the settings; the caller then hands hostText() to the
// session, which takes care of the host name, the port suffix and the history.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "app/gethost_advanced.h"
#include "config/settings.h"
#include "platform/user_interface.h"

class QComboBox;

namespace kestrel {

class gethost : public QDialog {
    Q_OBJECT

  public:
    gethost(Settings& settings, UserInterface& ui, QWidget* parent = nullptr);

    // The host text as entered, in UTF-8.
    std::string hostText() const;

    // Stores the values of a confirmed Advanced dialog, then closes the dialog.
    void accept() override;

    // Opens the Advanced dialog on the values chosen so far ("&Advanced...").
    void openAdvanced();

  protected:
    // Runs DIALOG and tells whether it was confirmed; modal in the product.
    virtual bool runAdvanced(ConnectAdvancedDialog& dialog);

  private:
    Settings& settings_;
    UserInterface& ui_;
    QComboBox* host_;
    // The values of the last confirmed Advanced dialog, until OK or Cancel.
    std::optional<ConnectAdvancedValues> advanced_;
};

}  // namespace kestrel
