#include "platform/Alert.h"

#include <QApplication>
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

BAlert::~BAlert() = default;

int32 BAlert::Go() {
    int32 chosen = -1;
    QMessageBox box(QMessageBox::Information, QString::fromStdString(title_),
                    QString::fromStdString(text_), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    std::vector<QPushButton*> buttons;
    for (const std::string& label : buttons_)
        buttons.push_back(box.addButton(QString::fromStdString(label), QMessageBox::AcceptRole));
    if (!buttons.empty()) {
        box.setDefaultButton(buttons.back());
        box.setEscapeButton(buttons.back());
    }
    box.exec();
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i])
            chosen = static_cast<int32>(i);
    }
    delete this; // answered, an alert is done
    return chosen;
}
