#include "platform/Alert.h"

#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QPushButton>

BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
               const char* button2, button_width, alert_type)
    : title_(title != nullptr ? title : ""), text_(text != nullptr ? text : "") {
    for (const char* label : {button0, button1, button2}) {
        if (label != nullptr)
            buttons_.emplace_back(label);
    }
}

int32 BAlert::Go() {
    QMessageBox box(QMessageBox::Information, QString::fromStdString(title_),
                    QString::fromStdString(text_), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QList<QPushButton*> buttons;
    for (const std::string& label : buttons_) {
        buttons << box.addButton(QString::fromStdString(label), QMessageBox::AcceptRole);
        // Enter and Escape choose the last.
        box.setDefaultButton(buttons.back());
        box.setEscapeButton(buttons.back());
    }
    box.exec();
    const auto chosen = static_cast<int32>(buttons.indexOf(box.clickedButton()));
    delete this; // answered, an alert is done
    return chosen;
}
