// CONFIG.ini: any content reads without harm; writing the language id changes the bytes of one
// line only (or adds one), the value reads back, and writing it again changes nothing.
#include "fuzz/fuzz_support.h"
#include "sys/ini_file.h"

namespace {

qsizetype CommonPrefix(const QByteArray& a, const QByteArray& b) {
    qsizetype n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n]) {
        ++n;
    }
    return n;
}

qsizetype CommonSuffix(const QByteArray& a, const QByteArray& b, qsizetype prefix) {
    qsizetype n = 0;
    while (n < a.size() - prefix && n < b.size() - prefix &&
           a[a.size() - 1 - n] == b[b.size() - 1 - n]) {
        ++n;
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString folder = FreshScratchFolder();
    const QString path = folder + QStringLiteral("CONFIG.ini");
    const QByteArray input = Bytes(data, size);
    WriteWholeFile(path, input);
    const QString section = QLatin1String(kSettingSection);
    const QString key = QLatin1String(kLanguageIdKey);

    ReadIniInt(path, section, key, -1);
    FUZZ_REQUIRE(ReadWholeFile(path) == input);
    FUZZ_REQUIRE(WriteIniInt(path, section, key, 3));
    const QByteArray written = ReadWholeFile(path);
    FUZZ_REQUIRE(ReadIniInt(path, section, key, -1) == 3);

    // What was taken out of the file lies within one line: no line end of it went missing.
    const qsizetype prefix = CommonPrefix(input, written);
    const qsizetype suffix = CommonSuffix(input, written, prefix);
    const QByteArray removed = input.mid(prefix, input.size() - prefix - suffix);
    FUZZ_REQUIRE(!removed.contains('\n') && !removed.contains('\r'));
    FUZZ_REQUIRE(written.size() - prefix - suffix <=
                 removed.size() + 64);  // "lanId=3", or a section with it, and line ends

    FUZZ_REQUIRE(WriteIniInt(path, section, key, 3));
    FUZZ_REQUIRE(ReadWholeFile(path) == written);
    return 0;
}
