// Every picture the program uses, drawn from code. The generator writes them as PNG files
// into res/; the program loads them from its compiled-in resources.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace qx::resgen {

// The display window that the live panel copies as its canvas background: 248 pixels wide,
// lcdHeight high, top-left corner at (24, 31) of the picture.
inline constexpr int kLcdLeft = 24;
inline constexpr int kLcdTop = 31;
inline constexpr int kLcdWidth = 248;

// Instrument front, 300 x height, with a display window lcdHeight high (197 and 139 for every
// model but the flow meter, 300 and 238 for the flow meter). `caption` is printed on the bezel
// beside the brand mark.
QImage DrawInstrumentFront(int height, int lcdHeight, const QString& caption);
// The tile behind the instrument picture, 30 x 38, seamless in both directions.
QImage DrawPanelTexture();
// The program icon at one size (16 ... 256).
QImage DrawProgramIcon(int size);
// The instrument front with sample readings drawn over its display, for the help document.
QImage DrawPanelIllustration();
// The flow meter's front with its six readings, for the help document.
QImage DrawFlowPanelIllustration();

// Status icons 0..9 (16 x 16): 0 idle, 1 live, 2 receiving, 3 sending, 4 busy, 5 warning,
// 6 alarm, 7 connected, 8 not connected, 9 error.
QImage DrawStatusIcon(int index);

enum class ToolIcon {
    Connect,
    Disconnect,
    Open,
    Export,
    ReceiveData,
    SetParams,
    CalibrateClock,
    Refresh,
    About,
};
// Toolbar icons, 16 x 16 (or any other size for the help document).
QImage DrawToolIcon(ToolIcon icon, int size = 16);

// Navigation icons, 32 x 32: 0 instrument communication, 1 record query, 2 instructions.
QImage DrawNavigationIcon(int view);
// Caption bar pictures, 16 x 16: the record browser and the help view.
QImage DrawCaptionRecords();
QImage DrawCaptionHelp();
QImage DrawCaptionLibrary();

// Packs an HTML file and the pictures it names into a single-file web archive
// (multipart/related, CRLF line ends, quoted-printable HTML, base64 images). The page's <title>
// is the archive's Subject. Each img src keeps its text as the picture's Content-Location; the
// picture file is its file name, looked up in imageDirs in order. Returns false with a reason in
// *error.
bool WriteHelpArchive(const QString& htmlPath, const QStringList& imageDirs, const QString& outPath,
                      QString* error);

}  // namespace qx::resgen
