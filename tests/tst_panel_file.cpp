// The real panel file: what it must hold, what the loader refuses, and how the start-up
// values and info texts land on it.
#include "PanelDriver.h"

#include <app/Nalvo-ZUridozU10.h>
#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>

#include <QApplication>
#include <QDomDocument>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>

using namespace testing;

namespace {

QByteArray realPanelFile() {
    char dir[kMaxPathnameLen];
    GetProjectDir(dir);
    QFile file(QString::fromLocal8Bit(dir) + QStringLiteral("/Nalvo-ZUridozU10.uir"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Edits of the real panel file, made on its XML.
class PanelXml {
public:
    PanelXml() { m_doc.setContent(realPanelFile()); }
    QByteArray bytes() const { return m_doc.toByteArray(); }

    PanelXml& setProperty(const QString& widget, const QString& property, const QString& type,
                          const QString& value) {
        QDomElement owner = widgetNamed(widget);
        QDomElement element = propertyOf(owner, property);
        if (element.isNull()) {
            element = m_doc.createElement(QStringLiteral("property"));
            element.setAttribute(QStringLiteral("name"), property);
            owner.insertBefore(element, owner.firstChildElement());
        }
        while (element.hasChildNodes())
            element.removeChild(element.firstChild());
        QDomElement typed = m_doc.createElement(type);
        typed.appendChild(m_doc.createTextNode(value));
        element.appendChild(typed);
        return *this;
    }
    PanelXml& removeProperty(const QString& widget, const QString& property) {
        QDomElement owner = widgetNamed(widget);
        owner.removeChild(propertyOf(owner, property));
        return *this;
    }
    PanelXml& setClass(const QString& widget, const QString& className) {
        widgetNamed(widget).setAttribute(QStringLiteral("class"), className);
        return *this;
    }

private:
    QDomElement widgetNamed(const QString& name) const {
        const QDomNodeList widgets = m_doc.elementsByTagName(QStringLiteral("widget"));
        for (int i = 0; i < widgets.size(); ++i)
            if (widgets.at(i).toElement().attribute(QStringLiteral("name")) == name)
                return widgets.at(i).toElement();
        qFatal("no widget %s in the panel file", qPrintable(name));
    }
    static QDomElement propertyOf(const QDomElement& widget, const QString& name) {
        for (QDomElement p = widget.firstChildElement(QStringLiteral("property")); !p.isNull();
             p = p.nextSiblingElement(QStringLiteral("property")))
            if (p.attribute(QStringLiteral("name")) == name)
                return p;
        return {};
    }

    QDomDocument m_doc;
};

double luminance(QColor color) {
    auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

} // namespace

class PanelFile : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void loadsWithTheApplicationsCallbacks();
    void refusesBrokenPanelFiles_data();
    void refusesBrokenPanelFiles();
    void everyControlCarriesAnAccessibleName();
    void startUpTakesThePanelsValues();
    void infoTextsAreLegibleWhereTheyLand();

private:
    int loadVariant(const QByteArray& content);
    QTemporaryDir m_dir;
};

void PanelFile::cleanup() {
    if (panelHandle >= 0)
        discardMainPanel();
}

int PanelFile::loadVariant(const QByteArray& content) {
    const QString path = m_dir.filePath(QStringLiteral("variant.uir"));
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
    file.close();
    freshProgram();
    RegisterMainPanel();
    panelHandle = LoadPanel(0, path.toLocal8Bit().constData(), MAIN_PANEL);
    return panelHandle;
}

void PanelFile::loadsWithTheApplicationsCallbacks() {
    QVERIFY(!realPanelFile().isEmpty());
    QVERIFY(loadVariant(realPanelFile()) >= 0);
    QVERIFY(!panelWidget()->isVisible());
}

void PanelFile::refusesBrokenPanelFiles_data() {
    const QByteArray real = realPanelFile();
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a panel") << QByteArray("power0=500\n");
    QTest::newRow("cut short") << real.left(real.size() / 2);
    QTest::newRow("no status line")
        << PanelXml().setProperty("statusLine", "ctrlId", "number", "132").bytes();
    QTest::newRow("two controls with one id")
        << PanelXml().setProperty("power1Field", "ctrlId", "number", "36").bytes();
    QTest::newRow("hardware mode not a drop-down")
        << PanelXml().setClass("hwModeRing", "QSpinBox").bytes();
    QTest::newRow("hardware mode without its callback")
        << PanelXml().removeProperty("hwModeRing", "callback").bytes();
    QTest::newRow("callback the program lacks")
        << PanelXml().setProperty("hwModeRing", "callback", "string", "CC_DropHWModus").bytes();
    QTest::newRow("panel callback on a control")
        << PanelXml().setProperty("evalModeRing", "callback", "string", "CC_PANEL").bytes();
}

void PanelFile::refusesBrokenPanelFiles() {
    QFETCH(QByteArray, content);
    QVERIFY(loadVariant(content) < 0);
    QVERIFY(!panelWidget());
}

void PanelFile::everyControlCarriesAnAccessibleName() {
    startMainPanel();
    int controls = 0;
    for (QWidget* widget : panelWidget()->findChildren<QWidget*>()) {
        if (!widget->property("ctrlId").isValid())
            continue;
        ++controls;
        QVERIFY2(!widget->accessibleName().trimmed().isEmpty(),
                 qPrintable(QStringLiteral("control %1").arg(widget->property("ctrlId").toInt())));
    }
    QVERIFY(controls >= 37);
}

void PanelFile::startUpTakesThePanelsValues() {
    // A panel file whose power 0 starts at 700 and that shows the other chart.
    QVERIFY(loadVariant(PanelXml()
                            .setProperty("power0Field", "value", "number", "700")
                            .setProperty("rawChart", "visible", "bool", "false")
                            .setProperty("normChart", "visible", "bool", "true")
                            .bytes()) >= 0);
    power1 = 9;
    InitVars();

    QCOMPARE(power0, 700);
    QCOMPARE(power1, 500);
    QCOMPARE(polarity, 1);
    QCOMPARE(reference, 512);
    QCOMPARE(com, 1);
    QCOMPARE(target, RAM);
    QCOMPARE(QByteArray(szStatus), QByteArray("InitVars"));
    QCOMPARE(statusText(), QStringLiteral("InitVars"));
    QVERIFY(!control(CTRL_RAW_CHART)->isHidden());
    QVERIFY(control(CTRL_NORM_CHART)->isHidden());
}

void PanelFile::infoTextsAreLegibleWhereTheyLand() {
    startMainPanel();
    QLabel* name = nullptr;
    QLabel* version = nullptr;
    for (QLabel* label : panelWidget()->findChildren<QLabel*>()) {
        if (label->text() == QLatin1String("Nalvo-DE-Divor"))
            name = label;
        if (label->text() == QLatin1String("V.1.0"))
            version = label;
    }
    QVERIFY(name && version);
    QCOMPARE(name->pos(), QPoint(500, 70));
    QCOMPARE(version->pos(), QPoint(620, 75));
    QVERIFY(name->isVisible() && version->isVisible());
    QCOMPARE(name->palette().color(QPalette::WindowText), QColor(Qt::white));
    QVERIFY(!name->font().bold());

    // The texts do not run into each other, and the panel behind them is dark enough for
    // white text (contrast of at least 7:1).
    const QFontMetrics metrics(name->font());
    QVERIFY(500 + metrics.horizontalAdvance(name->text()) < 620);
    const QImage image = panelWidget()->grab().toImage();
    for (QLabel* label : {name, version}) {
        // The colour most of the label's area shows is what lies behind the text.
        std::map<QRgb, int> area;
        const QRect rect = label->geometry();
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                ++area[image.pixel(x, y)];
        const auto behind = std::max_element(area.begin(), area.end(), [](auto a, auto b) {
                                return a.second < b.second;
                            })->first;
        QVERIFY2(1.05 / (luminance(QColor(behind)) + 0.05) >= 7.0,
                 qPrintable(QColor(behind).name()));
    }
}

QTEST_MAIN(PanelFile)
#include "tst_panel_file.moc"
