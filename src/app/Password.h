#pragma once

#include <QDialog>
#include <optional>

namespace Ui {
class TfrmPassword;
}

// The password dialog: created once at start-up and reused. The typed text is compared with
// the three access codes; only the developer code (result Yes) raises the access level.
class TfrmPassword : public QDialog {
    Q_OBJECT
public:
    // Modal results; Cancel is also what Esc and the "Отменить" button give.
    enum Result { Cancel = QDialog::Rejected, Ok = QDialog::Accepted, Yes = 2, Retry = 3 };

    static constexpr char WrongCodeText[] = "Неправильный пароль!!!";
    static constexpr char WrongCodeCaption[] = "Ошибка";

    explicit TfrmPassword(QWidget* parent = nullptr);
    ~TfrmPassword() override;

    // The result the typed text gives; none for a wrong code.
    static std::optional<Result> CheckCode(const QString& typed);

public Q_SLOTS:
    void btnOkClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();
    bool FormKeyPress(QKeyEvent* event);

    Ui::TfrmPassword* ui;
};
