// Language files: any content loads or is refused; a refused file leaves the texts that were
// loaded before exactly as they were.
#include "fuzz/fuzz_support.h"
#include "sys/language_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString folder = FreshScratchFolder();
    WriteWholeFile(folder + QStringLiteral("good.xml"),
                   "<language id=\"2\" name=\"English\">\n"
                   "  <text key=\"ok_text\">OK</text>\n"
                   "  <text key=\"add_profile_text\">Profile </text>\n"
                   "</language>\n");
    WriteWholeFile(folder + QStringLiteral("in.xml"), Bytes(data, size));

    LanguageFile file;
    FUZZ_REQUIRE(file.Load(folder + QStringLiteral("good.xml")));
    if (!file.Load(folder + QStringLiteral("in.xml"))) {
        FUZZ_REQUIRE(!file.ErrorString().isEmpty());
        FUZZ_REQUIRE(file.LanguageId() == 2);
        FUZZ_REQUIRE(file.Keys().size() == 2);
        FUZZ_REQUIRE(file.Text(QStringLiteral("ok_text")) == QStringLiteral("OK"));
        FUZZ_REQUIRE(file.Text(QStringLiteral("add_profile_text")) == QStringLiteral("Profile "));
        return 0;
    }
    for (const QString& key : file.Keys()) {
        FUZZ_REQUIRE(file.Contains(key));
        file.Text(key);
    }
    FUZZ_REQUIRE(file.Text(QStringLiteral("no such key")).isEmpty() ||
                 file.Contains(QStringLiteral("no such key")));
    return 0;
}
