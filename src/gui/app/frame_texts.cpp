#include "frame_texts.h"

#include <QCoreApplication>
#include <algorithm>

#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"

namespace qx {

QString ViewName(int view) {
    switch (view) {
        case kDevicePanelView:
            return QCoreApplication::translate("qx::CMainFrame", "仪器通讯");
        case kRecordView:
            return QCoreApplication::translate("qx::CMainFrame", "记录查询");
        case kHelpView:
            return QCoreApplication::translate("qx::CMainFrame", "操作说明");
        case kLibraryView:
            return QCoreApplication::translate("qx::CMainFrame", "记录库");
        default:
            return {};
    }
}

QString CaptionBarText(int view, const QString& viewTitle, bool unsaved) {
    const QString text = QStringLiteral("%1  %2").arg(ViewName(view), viewTitle);
    if (!unsaved) return text;
    return QCoreApplication::translate("qx::CMainFrame", "%1  (未保存)").arg(text);
}

QString RecordBaseName(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0) name.truncate(dot);
    return name;
}

QString DocumentTitle(int view, bool recordLoaded, const QString& recordPath, bool unsaved) {
    if (view == kRecordView && recordLoaded && unsaved) {
        return QCoreApplication::translate("qx::CMainFrame", "%1[%2](未保存)")
            .arg(ViewName(view), RecordBaseName(recordPath));
    }
    if (view == kRecordView && recordLoaded) {
        return QStringLiteral("%1[%2]").arg(ViewName(view), RecordBaseName(recordPath));
    }
    return ViewName(view);
}

QString WindowCaption(const QString& documentTitle) {
    return QStringLiteral("%1 - %2").arg(documentTitle, ApplicationTitle());
}

QString ConnectionPaneText(bool connected, bool statusOk, InstrumentTypeId type) {
    if (!connected) return QCoreApplication::translate("qx::CMainFrame", "没发现设备");
    // The model's display name ("QX450Meter"), which English calls by the model alone.
    const std::string model = ModelName(type);
    const QString name =
        model.empty()
            ? QString()
            : QCoreApplication::translate("qx::CMainFrame", "%1Meter").arg(ToQString(model));
    // Whole texts, so that English can word the state its own way.
    return (statusOk ? QCoreApplication::translate("qx::CMainFrame", "%1:连接<联机>")
                     : QCoreApplication::translate("qx::CMainFrame", "%1:连接<未联机>"))
        .arg(name);
}

}  // namespace qx
