// Record files (*.QXRec): the record image's header and packed samples on disk. The magic at
// offset 0 names the instrument type; every type has a sample size and a sample cap, and so a
// largest file size of 96 + cap * sample size bytes (see the catalogue).
//
// Reading never trusts the file: an unknown magic is refused, and so is a file too short to
// hold its header (the settings of the recording); a longer file is read only up to its type's
// largest size, the image tail after the bytes read is cleared, and the number of bytes read is
// handed on so that decoding never takes samples the file does not hold. A file that holds
// fewer samples than its header names opens with the samples it holds, and says so.
// Writing goes through a temporary file, so a failed save leaves the old file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/model/instrument_catalogue.h"
#include "record_image.h"

namespace qx {

struct RecordSet;

// Record file magic of a type; types outside 1..11 use type 1's (0x20222324).
uint32_t RecordFileMagic(InstrumentTypeId type);
// The type a magic names, 0 for none of the eleven. The magics are not in type order.
InstrumentTypeId TypeOfRecordMagic(uint32_t magic);
// The shortest file that is read as a record: the whole header, so that the recording's
// settings and sample count are the file's own.
inline constexpr size_t kMinRecordFileSize = RecordImage::kHeaderSize;
// Most samples a record file of a type holds.
int RecordSampleCap(InstrumentTypeId type);
// 96 + cap * bytes per sample.
size_t MaxRecordFileSize(InstrumentTypeId type);
// Samples WriteRecordFile writes for an image of a type: the effective record count (the
// cyclic rule of type 2 included), limited to the type's cap.
uint32_t RecordFileSampleCount(const ParamBlock& params, InstrumentTypeId type);
// Bytes WriteRecordFile writes for such an image: 96 + that count * sample size, at most the
// image's size.
size_t RecordFileSize(const ParamBlock& params, InstrumentTypeId type);

// Writes the image as a record file of the given type: stores the type's magic at offset 0;
// for types other than 2 a stored record count above the cap is rewritten to the cap in the
// image (type 2's header count stays); then writes 96 + n * sample size bytes. The file is
// replaced in one step. False when the path is empty or the file cannot be written; *error
// (when given) then says why.
bool WriteRecordFile(const std::string& path, RecordImage& image, InstrumentTypeId type,
                     std::string* error = nullptr);

// Reads a record file into the image. Returns the type named by its magic, or 0 when the file
// cannot be read, its magic is unknown or it is shorter than kMinRecordFileSize; on failure
// the image is left as it was. On success the image holds min(file length, largest size of
// the type) bytes from the file followed by zeros, and *bytesRead (when given) is that length.
// On failure *error (when given) says why, in the language of the texts: the operating
// system's reason, "not a record file (unknown magic 0x...)", or "shorter than a record header
// (N bytes)".
InstrumentTypeId ReadRecordFile(const std::string& path, RecordImage& image,
                                size_t* bytesRead = nullptr, std::string* error = nullptr);
// The same over a file's contents already in memory.
InstrumentTypeId ReadRecordBytes(std::span<const uint8_t> file, RecordImage& image,
                                 size_t* bytesRead = nullptr, std::string* error = nullptr);

// The open and save decisions of the window program, without its dialogs.
struct RecordFileResult {
    bool ok = false;
    InstrumentTypeId type = 0;  // the file's type on a successful open
    // Opened, but the file holds fewer samples than its header names (a copy cut short).
    bool incomplete = false;
    uint32_t namedSamples = 0;  // when incomplete: the samples the header names
    // The warning to show: on failure, and on an incomplete open; empty otherwise.
    std::string message;
    // Why, for the line below the message (see ReadRecordFile, ReplaceFile, and
    // MissingSamplesReason for an incomplete record).
    std::string reason;
};
// "文件:%s\n不能打开!" and "文件:%s\n不能保存!" with the path.
std::string OpenFailedMessage(const std::string& path);
std::string SaveFailedMessage(const std::string& path);
// "文件:%s\n记录不完整!" with the path: a record opened with fewer samples than it names.
std::string IncompleteRecordMessage(const std::string& path);
// "the header names N; the file holds only M" ("记录头标明 N 个样本, 文件只有 M 个").
std::string MissingSamplesReason(uint32_t named, int32_t held);

// Reads the file and decodes it as the type of its magic (not the connected instrument's)
// into set. On failure neither image nor set changes and message holds the warning. A file
// holding fewer samples than its header names opens (ok) as incomplete, with
// IncompleteRecordMessage and MissingSamplesReason to show.
RecordFileResult OpenRecordFile(const std::string& path, RecordImage& image, RecordSet& set);
// Writes the downloaded image as the given type; on failure message holds the warning.
RecordFileResult SaveRecordFile(const std::string& path, RecordImage& image, InstrumentTypeId type);

// Initial names of the file dialogs: the current record path when there is one, else
// "<data folder>/*.QXRec" for opening and "<data folder>/未命名" for saving.
std::string InitialOpenName(const std::string& currentPath, const std::string& dataFolder);
std::string InitialSaveName(const std::string& currentPath, const std::string& dataFolder);

// The file name of a downloaded recording (no folder), the same for the window's save dialog
// and for downloads collected into a folder: "<instrument number>_<first sample time>.QXRec",
// the time in local time as yyyymmdd-hhmmss ("A0815_20261209-012800.QXRec"). Characters that
// cannot stand in a file name here or on the other systems the files travel to (/ \ : * ? " <
// > | and control characters) become '_', as does a leading dot, which would hide the file.
// Without an instrument number the model's name (or "QX") takes its place; without a readable first
// sample time the name is the number alone.
std::string DownloadFileName(const ParamBlock& params, InstrumentTypeId type);

}  // namespace qx
