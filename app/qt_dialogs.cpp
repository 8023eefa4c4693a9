#include "app/qt_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRegularExpression>

namespace tonvel {

namespace {

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Keeps a menu that is for the left button only from acting on the right one.
class LeftButtonOnly : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if ((event->type() == QEvent::MouseButtonRelease ||
             event->type() == QEvent::MouseButtonPress) &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

void fillMenu(QMenu& target, const MenuItem& source, bool eitherButton, QObject* filter) {
    if (!eitherButton) target.installEventFilter(filter);
    for (const auto& item : source.children) {
        if (!item.visible) continue;
        if (item.separator) {
            target.addSeparator();
            continue;
        }
        QString caption = QString::fromStdString(item.caption);
        if (item.literalCaption) caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        if (!item.children.empty()) {
            QMenu* sub = target.addMenu(caption);
            sub->setEnabled(item.enabled);
            fillMenu(*sub, item, eitherButton, filter);
            continue;
        }
        QAction* action = target.addAction(caption);
        action->setEnabled(item.enabled);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        action->setData(
            QStringList{QString::fromStdString(item.name), QString::number(item.index)});
    }
}

}  // namespace

QString displayText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MessageAnswer QtDialogs::messageBox(const std::string& text, MessageIcon icon,
                                    MessageButtons buttons, const std::string& title) {
    QMessageBox box(
        toQt(icon), QString::fromStdString(title.empty() ? kProgramTitle : title),
        displayText(text),
        buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
        mainWindow_ && mainWindow_->isVisible() ? mainWindow_.data() : nullptr);
    // Texts can carry what others wrote, such as a published version; never markup.
    box.setTextFormat(Qt::PlainText);
    const int result = box.exec();
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    return result == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

std::optional<MenuChoice> QtDialogs::popupMenu(const MenuItem& menu, int x, int y,
                                               bool eitherButton) {
    QMenu popup(mainWindow_);
    LeftButtonOnly filter;
    fillMenu(popup, menu, eitherButton, &filter);
    const QPoint at = mainWindow_ ? mainWindow_->mapToGlobal(QPoint(x, y)) : QPoint(x, y);
    QAction* chosen = popup.exec(at);
    if (!chosen) return std::nullopt;
    const QStringList data = chosen->data().toStringList();
    if (data.size() != 2) return std::nullopt;
    return MenuChoice{data[0].toStdString(), data[1].toInt()};
}

std::optional<std::string> QtDialogs::inputBox(const std::string& prompt, const std::string& title,
                                               const std::string& defaultAnswer, int x, int y) {
    QInputDialog dialog(mainWindow_);
    dialog.setWindowTitle(QString::fromStdString(title));
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(QString::fromStdString(defaultAnswer));
    // Long prompts wrap instead of stretching the box across the screen.
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        label->setWordWrap(true);
        label->setMinimumWidth(380);
    }
    dialog.move(x, y);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
}

namespace {

QStringList filterList(const std::vector<std::string>& filters) {
    QStringList list;
    for (const auto& filter : filters) list << QString::fromStdString(filter);
    return list;
}

// "WAV Sound (*.wav)" gives "wav".
QString suffixOf(const QString& filter) {
    const int star = filter.indexOf(QStringLiteral("*."));
    if (star < 0) return {};
    const int end = filter.indexOf(QRegularExpression(QStringLiteral("[ )]")), star);
    const QString suffix = filter.mid(star + 2, end < 0 ? -1 : end - star - 2);
    return suffix == QStringLiteral("*") ? QString() : suffix;
}

}  // namespace

std::optional<std::string> QtDialogs::openFileName(const std::string& title,
                                                   const std::string& start,
                                                   const std::vector<std::string>& filters) {
    QFileDialog dialog(mainWindow_, QString::fromStdString(title), QString::fromStdString(start));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filterList(filters));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::saveFileName(const std::string& title,
                                                   const std::string& start,
                                                   const std::vector<std::string>& filters) {
    QFileDialog dialog(mainWindow_, QString::fromStdString(title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filterList(filters));
    const QFileInfo suggested(QString::fromStdString(start));
    dialog.setDirectory(suggested.absolutePath());
    dialog.selectFile(suggested.fileName());
    // A name typed without its ending takes the chosen kind's.
    if (!filters.empty()) dialog.setDefaultSuffix(suffixOf(QString::fromStdString(filters[0])));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace tonvel
