#pragma once

// The program's own message box, built on the fly with Spanish captions.
// Callers reach it through MsgDlgPos / MsgDlg / ShowMsg (data/Dialogs.h) once
// the GUI dialogs are installed; the functions here are what they end in.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// Numbered resource strings: 1-9 the button captions in table order, 10-13
// the titles of warning, error, information and confirmation. "" otherwise.
QString resourceString(int id);

// One message box, laid out in its constructor; exec() returns the result of
// the button pressed (mrYes, mrNo, ...), 2 when closed with the window button.
class TMsgDlgBox : public QDialog {
    Q_OBJECT
public:
    TMsgDlgBox(const QString& text, int type, unsigned buttons, int helpContext, int x, int y,
               QWidget* parent = nullptr);

    int helpContext() const { return helpContext_; }
    QLabel* messageLabel() const { return message_; }
    QLabel* iconLabel() const { return image_; }  // null for the custom type
    QPushButton* cancelButton() const { return cancel_; }

public Q_SLOTS:
    void reject() override;  // the window's close button: cancel

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void centre(const QSize& outer);

    bool centred_ = false;
    int helpContext_;
    QLabel* image_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* cancel_ = nullptr;  // the button Escape answers, if any
};

// The window dialogs are shown over: the modal one, the active one, else the
// main window; null when none shows.
QWidget* windowInFront();

// Builds the box, shows it modally, destroys it and returns its result.
int showMsgDlgBox(const QString& text, int type, unsigned buttons, int helpContext, int x, int y);
