#include "record_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "atomic_file.h"
#include "core/model/byte_order.h"
#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/system_error_text.h"
#include "core/model/text_util.h"
#include "record_query.h"
#include "record_set.h"
#include "sample_decoding.h"

namespace qx {

uint32_t RecordFileMagic(InstrumentTypeId type) {
    return Model(type).fileMagic;
}

InstrumentTypeId TypeOfRecordMagic(uint32_t magic) {
    for (InstrumentTypeId t = 1; t <= kModelCount; ++t) {
        if (Model(t).fileMagic == magic) return t;
    }
    return 0;
}

int RecordSampleCap(InstrumentTypeId type) {
    return Model(type).sampleCap;
}

size_t MaxRecordFileSize(InstrumentTypeId type) {
    return RecordImage::kHeaderSize +
           static_cast<size_t>(RecordSampleCap(type)) * static_cast<size_t>(BytesPerSample(type));
}

uint32_t RecordFileSampleCount(const ParamBlock& params, InstrumentTypeId type) {
    return std::min<uint32_t>(EffectiveRecordCount(params, type),
                              static_cast<uint32_t>(RecordSampleCap(type)));
}

size_t RecordFileSize(const ParamBlock& params, InstrumentTypeId type) {
    const size_t n = RecordFileSampleCount(params, type);
    return std::min(RecordImage::kHeaderSize + n * static_cast<size_t>(BytesPerSample(type)),
                    RecordImage::kSize);
}

bool WriteRecordFile(const std::string& path, RecordImage& image, InstrumentTypeId type,
                     std::string* error) {
    if (path.empty()) {
        if (error) *error = Tr("没有文件名");
        return false;
    }
    image.SetMagic(RecordFileMagic(type));
    const size_t countOffset = RecordImage::kParamOffset + param::kStoredCount;
    const uint16_t cap = static_cast<uint16_t>(RecordSampleCap(type));
    if (!HasCyclicRecording(type) && image.Params().StoredCount() > cap) {
        image.bytes[countOffset] = static_cast<uint8_t>(cap);
        image.bytes[countOffset + 1] = static_cast<uint8_t>(cap >> 8);
    }
    return ReplaceFile(path,
                       std::string_view(reinterpret_cast<const char*>(image.bytes.data()),
                                        RecordFileSize(image.Params(), type)),
                       error);
}

InstrumentTypeId ReadRecordBytes(std::span<const uint8_t> file, RecordImage& image,
                                 size_t* bytesRead, std::string* error) {
    // The magic comes first: a file of another kind is named as such whatever its length.
    const uint32_t magic = file.size() >= 4 ? LoadU32(file.data()) : 0;
    const InstrumentTypeId type = TypeOfRecordMagic(magic);
    if (file.size() >= 4 && !IsKnownModel(type)) {
        if (error) *error = StrFormat(Tr("不是记录文件 (未知的标识 0x%08x)"), magic);
        return 0;
    }
    if (file.size() < kMinRecordFileSize) {
        if (error) *error = StrFormat(Tr("短于记录头 (%zu 字节)"), file.size());
        return 0;
    }
    const size_t length = std::min({file.size(), MaxRecordFileSize(type), RecordImage::kSize});
    std::memcpy(image.bytes.data(), file.data(), length);
    std::memset(image.bytes.data() + length, 0, RecordImage::kSize - length);
    if (bytesRead) *bytesRead = length;
    return type;
}

InstrumentTypeId ReadRecordFile(const std::string& path, RecordImage& image, size_t* bytesRead,
                                std::string* error) {
    if (path.empty()) {
        if (error) *error = Tr("没有文件名");
        return 0;
    }
    // Without waiting: opening a named pipe would block until a writer comes.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error) *error = SystemErrorText(errno);
        return 0;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        ::close(fd);
        if (error) *error = Tr("不是普通文件 (是命名管道、套接字或特殊文件)");
        return 0;
    }
    // No record file is larger than the image; one byte more tells a longer file apart.
    std::vector<uint8_t> buffer(RecordImage::kSize + 1);
    size_t got = 0;
    bool failed = false;
    while (got < buffer.size()) {
        const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (error) *error = SystemErrorText(errno);
            failed = true;
            break;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    if (failed) return 0;
    return ReadRecordBytes(std::span(buffer.data(), got), image, bytesRead, error);
}

std::string OpenFailedMessage(const std::string& path) {
    return StrFormat(Tr("文件:%s\n不能打开!"), path.c_str());
}

std::string SaveFailedMessage(const std::string& path) {
    return StrFormat(Tr("文件:%s\n不能保存!"), path.c_str());
}

std::string IncompleteRecordMessage(const std::string& path) {
    return StrFormat(Tr("文件:%s\n记录不完整!"), path.c_str());
}

std::string MissingSamplesReason(uint32_t named, int32_t held) {
    return StrFormat(Tr("记录头标明 %u 个样本, 文件只有 %d 个"), named, held);
}

RecordFileResult OpenRecordFile(const std::string& path, RecordImage& image, RecordSet& set) {
    RecordFileResult result;
    size_t length = 0;
    result.type = ReadRecordFile(path, image, &length, &result.reason);
    if (!IsKnownModel(result.type)) {
        result.message = OpenFailedMessage(path);
        return result;
    }
    DecodeRecord(image, set, result.type, length);
    result.ok = true;
    // Decoding keeps to the samples the file holds; a file cut short opens with what it has,
    // and says what is missing.
    const uint32_t named = EffectiveRecordCount(set.Params(), result.type);
    if (named != static_cast<uint32_t>(set.count)) {
        result.incomplete = true;
        result.namedSamples = named;
        result.message = IncompleteRecordMessage(path);
        result.reason = MissingSamplesReason(named, set.count);
    }
    return result;
}

RecordFileResult SaveRecordFile(const std::string& path, RecordImage& image,
                                InstrumentTypeId type) {
    RecordFileResult result;
    result.type = type;
    result.ok = WriteRecordFile(path, image, type, &result.reason);
    if (!result.ok) result.message = SaveFailedMessage(path);
    return result;
}

std::string InitialOpenName(const std::string& currentPath, const std::string& dataFolder) {
    return currentPath.empty() ? StrFormat("%s/*.QXRec", dataFolder.c_str()) : currentPath;
}

std::string InitialSaveName(const std::string& currentPath, const std::string& dataFolder) {
    return currentPath.empty() ? StrFormat("%s/%s", dataFolder.c_str(), Tr("未命名")) : currentPath;
}

namespace {

// Replaces what cannot stand in a file name; UTF-8 sequences stay whole.
std::string FileNameSafe(std::string text) {
    for (char& c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr) c = '_';
    }
    if (!text.empty() && text.front() == '.') text.front() = '_';
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string DownloadFileName(const ParamBlock& params, InstrumentTypeId type) {
    std::string number = Trimmed(Latin1ToUtf8(params.NumberLatin1()));
    if (number.empty()) number = ModelName(type);
    if (number.empty()) number = "QX";
    const std::string time =
        FormatLocalTime(SampleClockOf(params, type).TimeOf(0), "%Y%m%d-%H%M%S");
    std::string name = FileNameSafe(time.empty() ? number : number + "_" + time);
    return name + ".QXRec";
}

}  // namespace qx
