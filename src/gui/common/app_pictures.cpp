#include "app_pictures.h"

#include <QPainter>
#include "core/model/live_panel_layout.h"

#include <QtGlobal>

// The resources live in the static library qxgui; the linker keeps their registration only
// when something references it, which Q_INIT_RESOURCE does (outside any namespace).
static void RegisterQxlogResources() {
    Q_INIT_RESOURCE(qxlog);
}

namespace qx {
namespace {

void EnsureResources() {
    static const bool registered = (RegisterQxlogResources(), true);
    (void)registered;
}

QPixmap Load(const QString& name) {
    EnsureResources();
    return QPixmap(QStringLiteral(":/qxlog/") + name);
}

const char* ToolbarName(int commandId) {
    switch (commandId) {
        case kCmdConnect:
            return "connect";
        case kCmdDisconnect:
            return "disconnect";
        case kCmdOpen:
            return "open";
        case kCmdExport:
            return "export";
        case kCmdReceiveData:
            return "receive_data";
        case kCmdSetParams:
            return "set_params";
        case kCmdCalibrateClock:
            return "calibrate_clock";
        case kCmdRefresh:
            return "refresh";
        case kCmdAbout:
            return "about";
        default:
            return nullptr;
    }
}

}  // namespace

QString InstrumentPicturePath(InstrumentTypeId type) {
    return QStringLiteral(":/qxlog/") + QString::fromLatin1(Model(type).picture) +
           QStringLiteral(".png");
}

QPixmap InstrumentPicture(InstrumentTypeId type) {
    EnsureResources();
    return QPixmap(InstrumentPicturePath(type));
}

QRect DisplayWindowRect(InstrumentTypeId type) {
    return QRect(24, 31, 248, LivePanelHeight(type));
}

QPixmap PanelTexture() {
    return Load(QStringLiteral("panel_texture.png"));
}

QPixmap StatusIcon(int index) {
    if (index < 0 || index >= kStatusIconCount) return {};
    return Load(QStringLiteral("status_%1.png").arg(index));
}

namespace {

// The statistics command's picture, drawn here: three bars of rising height under a red
// limit line.
QIcon StatisticsIcon() {
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.scale(size / 16.0, size / 16.0);
        const QColor edge(0, 60, 128);
        const QColor fill(96, 160, 224);
        const int heights[] = {5, 9, 7};
        for (int i = 0; i < 3; ++i) {
            const QRect bar(2 + 4 * i, 15 - heights[i], 3, heights[i]);
            painter.fillRect(bar, fill);
            painter.setPen(QPen(edge, 0));
            painter.drawRect(bar.adjusted(0, 0, -1, -1));
        }
        painter.setPen(QPen(QColor(208, 0, 0), 1));
        painter.drawLine(QPointF(1, 4.5), QPointF(15, 4.5));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

QIcon CommandIcon(int commandId) {
    if (commandId == kCmdStatistics) return StatisticsIcon();
    const char* name = ToolbarName(commandId);
    if (!name) return {};
    EnsureResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/qxlog/toolbar_%1.png").arg(QLatin1String(name)), QSize(16, 16));
    icon.addFile(QStringLiteral(":/qxlog/toolbar_%1@2x.png").arg(QLatin1String(name)),
                 QSize(32, 32));
    return icon;
}

QIcon NavigationIcon(int view) {
    static const char* const kNames[] = {"nav_instrument.png", "nav_records.png", "nav_help.png",
                                         "nav_library.png"};
    if (view < 0 || view > 3) return {};
    return QIcon(Load(QLatin1String(kNames[view])));
}

QPixmap CaptionPicture(int view, int statusIcon) {
    if (view == 1) return Load(QStringLiteral("caption_records.png"));
    if (view == 2) return Load(QStringLiteral("caption_help.png"));
    if (view == 3) return Load(QStringLiteral("caption_library.png"));
    return StatusIcon(statusIcon < 0 ? kStatusNotConnected : statusIcon);
}

QIcon ProgramIcon() {
    EnsureResources();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/qxlog/app_icon_%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace qx
