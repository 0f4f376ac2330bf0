// Every control of every form has a name a screen reader can speak: its own
// text, a label that names it as its buddy, or an accessible name.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>
#include <vector>

namespace {

struct UiWidget {
    QString cls, name, text = {}, accessibleName = {}, buddy = {};
};

struct UiForm {
    std::vector<UiWidget> widgets;
    QHash<QString, QString> extends;  // custom class -> its Qt base class
};

void SetProperty(UiWidget& w, const QString& property, const QString& value) {
    if (property == QLatin1String("text")) w.text = value;
    if (property == QLatin1String("accessibleName")) w.accessibleName = value;
    if (property == QLatin1String("buddy")) w.buddy = value;
}

// Walks the file's elements keeping the open ones, so that a property is
// given to the widget it directly belongs to.
UiForm ReadForm(const QString& file) {
    QFile f(file);
    UiForm form;
    if (!f.open(QIODevice::ReadOnly)) return form;
    QXmlStreamReader xml(&f);
    QStringList open;
    std::vector<size_t> widgets;
    QString property, customClass;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (open.takeLast() == QLatin1String("widget")) widgets.pop_back();
            property.clear();
            continue;
        }
        if (token != QXmlStreamReader::StartElement) continue;
        const QString name = xml.name().toString();
        if (name == QLatin1String("class")) {
            customClass = xml.readElementText();
        } else if (name == QLatin1String("extends")) {
            form.extends.insert(customClass, xml.readElementText());
        } else if ((name == QLatin1String("string") || name == QLatin1String("cstring")) &&
                   !property.isEmpty()) {
            SetProperty(form.widgets[widgets.back()], property, xml.readElementText());
        } else {
            if (name == QLatin1String("widget")) {
                widgets.push_back(form.widgets.size());
                form.widgets.push_back({xml.attributes().value("class").toString(),
                                        xml.attributes().value("name").toString()});
            }
            if (name == QLatin1String("property") && !open.isEmpty() &&
                open.last() == QLatin1String("widget"))
                property = xml.attributes().value("name").toString();
            open << name;
        }
    }
    return form;
}

const QSet<QString> kControls = {
    "QLineEdit",   "QComboBox",     "QSpinBox",     "QDoubleSpinBox", "QDateEdit",
    "QTimeEdit",   "QDateTimeEdit", "QTextEdit",    "QPlainTextEdit", "QTextBrowser",
    "QListWidget", "QTreeWidget",   "QTableWidget", "QListView",      "QTreeView",
    "QTableView",  "QSlider",       "QTabWidget",   "QToolButton",    "QPushButton",
    "QCheckBox",   "QRadioButton"};

}  // namespace

TEST(AccessibleNames, EveryControlOfEveryFormIsNamed) {
    int controls = 0;
    QStringList unnamed;
    for (const char* dir : {"app", "reminder", "calendar", "store", "sync"}) {
        const QDir folder(QStringLiteral(VORNEL_SOURCE_TREE "/") + dir);
        for (const QString& file : folder.entryList({"*.ui"}, QDir::Files)) {
            const UiForm form = ReadForm(folder.filePath(file));
            QSet<QString> buddies;
            for (const UiWidget& w : form.widgets)
                if (!w.buddy.isEmpty()) buddies.insert(w.buddy);
            for (const UiWidget& w : form.widgets) {
                if (!kControls.contains(form.extends.value(w.cls, w.cls))) continue;
                ++controls;
                if (w.text.trimmed().isEmpty() && w.accessibleName.isEmpty() &&
                    !buddies.contains(w.name))
                    unnamed << QStringLiteral("%1/%2 %3").arg(dir, file, w.name);
            }
        }
    }
    EXPECT_GT(controls, 100);  // the forms were read
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(", ").toStdString();
}
