// qxlog-resgen RES_DIR
//
// Draws every picture of the program into RES_DIR, writes the resource list RES_DIR/qxlog.qrc,
// draws the help documents' own illustrations into RES_DIR/help and packs each help page with
// its pictures: RES_DIR/help/帮助.html into RES_DIR/帮助.mht (Chinese) and RES_DIR/help/Help.html
// into RES_DIR/Help.mht (English).
// Run it with QT_QPA_PLATFORM=offscreen (the build target qx_res_generate does).
#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>
#include <cstdio>
#include <utility>
#include <vector>

#include "pictures.h"

using namespace qx::resgen;

namespace {

bool Save(const QImage& image, const QDir& dir, const QString& name, QStringList* listed) {
    const QString path = dir.filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "qxlog-resgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    if (listed) listed->append(name);
    return true;
}

bool WriteQrc(const QDir& dir, const QStringList& files) {
    QSaveFile qrc(dir.filePath("qxlog.qrc"));
    if (!qrc.open(QIODevice::WriteOnly)) return false;
    QTextStream out(&qrc);
    out << "<!-- Written by res/tools (qxlog-resgen): the pictures compiled into the program. "
           "-->\n";
    out << "<RCC>\n    <qresource prefix=\"/qxlog\">\n";
    for (const QString& f : files)
        out << "        <file>" << f << "</file>\n";
    out << "    </qresource>\n</RCC>\n";
    out.flush();
    return qrc.commit();
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qxlog-resgen RES_DIR\n");
        return 2;
    }
    const QDir res(QString::fromLocal8Bit(argv[1]));
    QDir help(res.filePath("help"));
    if (!res.exists() || !help.exists()) {
        std::fprintf(stderr, "qxlog-resgen: %s or its help folder does not exist\n", argv[1]);
        return 1;
    }

    QStringList program;  // files of qxlog.qrc
    bool ok = true;
    ok &= Save(DrawInstrumentFront(197, 139, "DATA LOGGER"), res, "instrument_front.png", &program);
    ok &= Save(DrawInstrumentFront(300, 238, "FLOW METER"), res, "instrument_front_flow.png",
               &program);
    ok &= Save(DrawPanelTexture(), res, "panel_texture.png", &program);
    for (int i = 0; i < 10; ++i)
        ok &= Save(DrawStatusIcon(i), res, QString("status_%1.png").arg(i), &program);
    const std::vector<std::pair<ToolIcon, QString>> tools = {
        {ToolIcon::Connect, "connect"},
        {ToolIcon::Disconnect, "disconnect"},
        {ToolIcon::Open, "open"},
        {ToolIcon::Export, "export"},
        {ToolIcon::ReceiveData, "receive_data"},
        {ToolIcon::SetParams, "set_params"},
        {ToolIcon::CalibrateClock, "calibrate_clock"},
        {ToolIcon::Refresh, "refresh"},
        {ToolIcon::About, "about"},
    };
    for (const auto& [icon, name] : tools) {
        ok &= Save(DrawToolIcon(icon), res, "toolbar_" + name + ".png", &program);
        ok &= Save(DrawToolIcon(icon, 32), res, "toolbar_" + name + "@2x.png", &program);
    }
    const char* navNames[] = {"nav_instrument.png", "nav_records.png", "nav_help.png",
                              "nav_library.png"};
    for (int v = 0; v < 4; ++v)
        ok &= Save(DrawNavigationIcon(v), res, navNames[v], &program);
    ok &= Save(DrawCaptionRecords(), res, "caption_records.png", &program);
    ok &= Save(DrawCaptionHelp(), res, "caption_help.png", &program);
    ok &= Save(DrawCaptionLibrary(), res, "caption_library.png", &program);
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        ok &= Save(DrawProgramIcon(size), res, QString("app_icon_%1.png").arg(size), &program);
    if (!ok) return 1;
    if (!WriteQrc(res, program)) {
        std::fprintf(stderr, "qxlog-resgen: cannot write qxlog.qrc\n");
        return 1;
    }

    // Pictures only the help document shows.
    if (!Save(DrawPanelIllustration(), help, "panel_illustration.png", nullptr) ||
        !Save(DrawFlowPanelIllustration(), help, "flow_panel_illustration.png", nullptr))
        return 1;
    // The pictures show no text, so both languages share them.
    const std::pair<QString, QString> documents[] = {
        {QStringLiteral("帮助.html"), QStringLiteral("帮助.mht")},
        {QStringLiteral("Help.html"), QStringLiteral("Help.mht")},
    };
    for (const auto& [page, archive] : documents) {
        QString error;
        if (!WriteHelpArchive(help.filePath(page), {help.path(), res.path()}, res.filePath(archive),
                              &error)) {
            std::fprintf(stderr, "qxlog-resgen: %s\n", qPrintable(error));
            return 1;
        }
    }
    std::printf("qxlog-resgen: %d pictures, qxlog.qrc, 帮助.mht and Help.mht written to %s\n",
                static_cast<int>(program.size()), argv[1]);
    return 0;
}
