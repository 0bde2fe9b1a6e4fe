// The language text-file reader on any content: every id it keeps is in range, every text it
// keeps within the length limit, and a line that names an id keeps its text whatever came
// before it.

#include "FuzzInput.h"
#include "LangFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const LangFile file = LangFile::parse(content, QStringLiteral("fuzz.txt"));
    for (auto it = file.texts().cbegin(); it != file.texts().cend(); ++it) {
        FUZZ_CHECK(it.key() >= LangFile::MinId && it.key() <= LangFile::MaxId);
        FUZZ_CHECK(it.value().size() <= LangFile::MaxTextLength);
    }
    FUZZ_CHECK(file.errors().size() <= content.count('\n') + 1);

    // A good line appended after anything is read, unless the same id came before it.
    const LangFile more = LangFile::parse(content + "\n959\tz\n", QStringLiteral("fuzz.txt"));
    FUZZ_CHECK(more.texts().contains(959));
    return 0;
}
