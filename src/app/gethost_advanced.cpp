#include "app/gethost_advanced.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cstdio>

namespace kestrel {
namespace {

constexpr int kPortLength = 20;
constexpr int kKeepAliveNotice = 32866;

QCheckBox* addCheckBox(QVBoxLayout* layout, const char* label, int value) {
    auto* box = new QCheckBox(QString::fromUtf8(label));
    box->setChecked(value != 0);
    layout->addWidget(box);
    return box;
}

}  // namespace

ConnectAdvancedValues ConnectAdvancedValues::fromSettings(const Settings& settings) {
    ConnectAdvancedValues values;
    values.port = settings.port;
    values.autoconnect = settings.autoconnect;
    values.autoreconnect = settings.autoreconnect;
    values.exit = settings.exit;
    values.confirm = settings.confirm;
    values.alive = settings.alive;
    values.ssl = settings.ssl;
    return values;
}

void ConnectAdvancedValues::applyTo(Settings& settings) const {
    settings.port = port;
    settings.autoconnect = autoconnect;
    settings.autoreconnect = autoreconnect;
    settings.exit = exit;
    settings.confirm = confirm;
    settings.alive = alive;
    settings.ssl = ssl;
}

ConnectAdvancedDialog::ConnectAdvancedDialog(const ConnectAdvancedValues& values, UserInterface& ui,
                                             QWidget* parent)
    : QDialog(parent), values_(values), ui_(ui) {
    setWindowTitle(QStringLiteral("Connect - Advanced"));

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    port_ = new QLineEdit(QString::number(values.port));
    port_->setMaxLength(kPortLength);
    form->addRow(QStringLiteral("Port:"), port_);
    layout->addLayout(form);

    autoconnect_ = addCheckBox(layout, "Use as default &Host", values.autoconnect);
    autoreconnect_ = addCheckBox(layout, "Auto &Reconnect", values.autoreconnect);
    exit_ = addCheckBox(layout, "&Exit on session termination", values.exit);
    confirm_ = addCheckBox(layout, "Confirm Exit", values.confirm);
    alive_ = addCheckBox(layout, "Send Keep-Alive every 15 second", values.alive);
    ssl_ = addCheckBox(layout, "SSL (secure socket layer)", values.ssl);
    // clicked() comes only from the user, so the initial state raises no notice.
    connect(alive_, &QCheckBox::clicked, this, &ConnectAdvancedDialog::keepAliveClicked);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &ConnectAdvancedDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConnectAdvancedDialog::reject);
    layout->addWidget(buttons);
}

void ConnectAdvancedDialog::keepAliveClicked(bool checked) {
    if (checked) {
        ui_.showMessage(kKeepAliveNotice, MessageIcon::Warning);
    }
}

void ConnectAdvancedDialog::accept() {
    // A port that does not read as a number keeps the previous one.
    int port = 0;
    const QByteArray text = port_->text().toUtf8();
    if (std::sscanf(text.constData(), "%d", &port) == 1) {
        values_.port = port;
    }
    values_.autoconnect = autoconnect_->isChecked() ? 1 : 0;
    values_.autoreconnect = autoreconnect_->isChecked() ? 1 : 0;
    values_.exit = exit_->isChecked() ? 1 : 0;
    values_.confirm = confirm_->isChecked() ? 1 : 0;
    values_.alive = alive_->isChecked() ? 1 : 0;
    values_.ssl = ssl_->isChecked() ? 1 : 0;
    QDialog::accept();
}

}  // namespace kestrel
