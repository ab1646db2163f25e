#include "app/gethost.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrel {
namespace {

constexpr int kHostLength = 64;

// Blank and control characters mark an entry as unused.
bool isUsedHistoryEntry(const std::string& entry) {
    return !entry.empty() && static_cast<unsigned char>(entry[0]) > ' ';
}

}  // namespace

gethost::gethost(Settings& settings, UserInterface& ui, QWidget* parent)
    : QDialog(parent), settings_(settings), ui_(ui) {
    setWindowTitle(QStringLiteral("Connect"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter IBM Host Name or IP Address:")));

    host_ = new QComboBox;
    host_->setEditable(true);
    // The list is the history as stored; typing neither completes nor adds to it.
    host_->setInsertPolicy(QComboBox::NoInsert);
    host_->setCompleter(nullptr);
    host_->lineEdit()->setMaxLength(kHostLength);
    const std::string* history[] = {&settings.host_hist, &settings.ost_hist, &settings.st_hist,
                                    &settings.t_hist,    &settings._hist,    &settings.hist,
                                    &settings.ist,       &settings.st};
    for (const std::string* entry : history) {
        if (isUsedHistoryEntry(*entry)) {
            host_->addItem(QString::fromStdString(*entry));
        }
    }
    host_->setEditText(QString::fromStdString(settings.host_name));
    layout->addWidget(host_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* advanced =
        buttons->addButton(QStringLiteral("&Advanced..."), QDialogButtonBox::ActionRole);
    advanced->setAutoDefault(false);
    connect(advanced, &QPushButton::clicked, this, &gethost::openAdvanced);
    connect(buttons, &QDialogButtonBox::accepted, this, &gethost::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &gethost::reject);
    layout->addWidget(buttons);
}

std::string gethost::hostText() const {
    return host_->currentText().toStdString();
}

void gethost::openAdvanced() {
    ConnectAdvancedDialog dialog(
        advanced_ ? *advanced_ : ConnectAdvancedValues::fromSettings(settings_), ui_, this);
    if (runAdvanced(dialog)) {
        advanced_ = dialog.values();
    }
}

bool gethost::runAdvanced(ConnectAdvancedDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

void gethost::accept() {
    if (advanced_) {
        advanced_->applyTo(settings_);
    }
    QDialog::accept();
}

}  // namespace kestrel
