#include "app/Password.h"

#include "app/AccessCodes.h"
#include "ui_Password.h"

#include <QKeyEvent>
#include <QMessageBox>

TfrmPassword::TfrmPassword(QWidget* parent) : QDialog(parent), ui(new Ui::TfrmPassword) {
    ui->setupUi(this);
    connect(ui->btnOk, &QPushButton::clicked, this, &TfrmPassword::btnOkClick);
    connect(ui->bntCancel, &QPushButton::clicked, this, [this] { done(Cancel); });
}

TfrmPassword::~TfrmPassword() {
    delete ui;
}

std::optional<TfrmPassword::Result> TfrmPassword::CheckCode(const QString& typed) {
    if (typed == QLatin1String(access_codes::CodeA))
        return Ok;
    if (typed == QLatin1String(access_codes::Developer))
        return Yes;
    if (typed == QLatin1String(access_codes::CodeC))
        return Retry;
    return std::nullopt;
}

void TfrmPassword::btnOkClick() {
    if (const auto result = CheckCode(ui->ePassword->text())) {
        done(*result);
        return;
    }
    // The dialog stays open with the typed text, for another try.
    QMessageBox::critical(this, QString::fromUtf8(WrongCodeCaption),
                          QString::fromUtf8(WrongCodeText), QMessageBox::Ok);
}

void TfrmPassword::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmPassword::FormShow() {
    ui->ePassword->clear();
    ui->ePassword->setFocus();
}

void TfrmPassword::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(event))
        QDialog::keyPressEvent(event);
}

bool TfrmPassword::FormKeyPress(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape)
        return false;
    done(Cancel);
    return true;
}
