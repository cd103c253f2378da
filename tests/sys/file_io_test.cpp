#include "sys/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/wait.h>

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "sys/printable_text.h"
#include "tests/macro/file_bytes.h"
#include "tests/support/unprivileged.h"

namespace {

class FileIoTest : public ::testing::Test {
protected:
    QString In(const char* name) const { return dir.filePath(QLatin1String(name)); }
    // Every name in the folder, to see that no temporary file was left behind.
    QStringList Names() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    static bool WriteText(QIODevice& device, const QByteArray& text) {
        return device.write(text) == text.size();
    }

    QTemporaryDir dir;
};

TEST_F(FileIoTest, OnlyRegularFilesAreOpenedAndLargeOnesAreNotRead) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(In("pipe.pro")).constData(), 0600), 0);
    QByteArray bytes = "unchanged";
    // A FIFO without a writer would block an open for reading forever.
    EXPECT_EQ(ReadFileStart(In("pipe.pro"), 100, bytes), FileError::NotRegular);
    EXPECT_EQ(ReadFileStart(dir.path(), 100, bytes), FileError::NotRegular);
    EXPECT_EQ(ReadFileStart(QStringLiteral("/dev/zero"), 100, bytes), FileError::NotRegular);
    EXPECT_EQ(ReadFileStart(In("missing"), 100, bytes), FileError::Missing);
    EXPECT_EQ(bytes, QByteArray("unchanged"));

    // 40 GB that take no room on the disk: refused by its size, never read.
    {
        QFile sparse(In("huge.data"));
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        ASSERT_TRUE(sparse.resize(40LL << 30));
    }
    RegularFileReader reader;
    EXPECT_EQ(reader.Open(In("huge.data"), 1 << 20), FileError::TooLarge);
    // Without a bound only what is asked for is read.
    EXPECT_EQ(ReadFileStart(In("huge.data"), 240, bytes), FileError::None);
    EXPECT_EQ(bytes, QByteArray(240, '\0'));

    // Writing over a FIFO or a folder is refused too, and leaves them as they were.
    EXPECT_EQ(WriteFileAtomically(In("pipe.pro"), [](QIODevice&) { return true; }),
              FileError::NotRegular);
    EXPECT_EQ(WriteFileAtomically(dir.path(), [](QIODevice&) { return true; }),
              FileError::NotRegular);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(In("pipe.pro")).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(FileIoTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    WriteBytes(In("pro.data"), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(In("pro.data")).constData(), 0640), 0);
    EXPECT_EQ(WriteFileAtomically(In("pro.data"),
                                  [](QIODevice& file) { return WriteText(file, "new") && false; }),
              FileError::Unwritable);
    EXPECT_EQ(ReadBytes(In("pro.data")), QByteArray("old"));

    // A write the system refuses half way (the file size limit of a full disk): in a child, since
    // the limit holds for the whole process.
    const int child = RunInChild([this] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const QByteArray big(100000, 'x');
        return WriteFileAtomically(In("pro.data"),
                                   [&](QIODevice& file) { return WriteText(file, big); }) ==
                       FileError::Unwritable
                   ? 0
                   : 1;
    });
    EXPECT_EQ(child, 0);
    EXPECT_EQ(ReadBytes(In("pro.data")), QByteArray("old"));
    EXPECT_EQ(Names(), QStringList{QStringLiteral("pro.data")});

    // A successful replacement keeps the permissions of the file it replaces.
    ASSERT_EQ(
        WriteFileAtomically(In("pro.data"), [](QIODevice& file) { return WriteText(file, "new"); }),
        FileError::None);
    EXPECT_EQ(ReadBytes(In("pro.data")), QByteArray("new"));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(In("pro.data")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Names(), QStringList{QStringLiteral("pro.data")});
}

TEST_F(FileIoTest, NamesThatAreNotUtf8AreReadAndWrittenAsTheyAre) {
    const NativePath folder = NativePath(dir.path());
    const NativePath odd = folder.Child(QByteArray("a\xff\n.pro"));
    ASSERT_EQ(WriteFileAtomically(odd, [](QIODevice& file) { return WriteText(file, "body"); }),
              FileError::None);
    QByteArray bytes;
    EXPECT_EQ(ReadFileStart(odd, 100, bytes), FileError::None);
    EXPECT_EQ(bytes, QByteArray("body"));
    ASSERT_EQ(::access(odd.CStr(), F_OK), 0);  // exactly that name, no replacement character
    EXPECT_TRUE(odd.Display().endsWith(QStringLiteral("/a\\xff\\n.pro")));
    EXPECT_EQ(odd.FileName(), QByteArray("a\xff\n.pro"));
    EXPECT_EQ(odd.Folder(), folder);

    // Kept aside under a time-stamped name; a second one in the same second gets "-2".
    const auto first = KeepAside(odd);
    ASSERT_TRUE(first.has_value());
    EXPECT_TRUE(first->FileName().startsWith(QByteArray("a\xff\n.pro.")));
    EXPECT_TRUE(first->FileName().endsWith(".damaged"));
    EXPECT_EQ(::access(odd.CStr(), F_OK), -1);
    ASSERT_EQ(WriteFileAtomically(odd, [](QIODevice& file) { return WriteText(file, "2"); }),
              FileError::None);
    const auto second = KeepAside(odd);
    ASSERT_TRUE(second.has_value());
    EXPECT_FALSE(*second == *first);
    bytes.clear();
    ReadFileStart(*first, 100, bytes);
    EXPECT_EQ(bytes, QByteArray("body"));
    // QTemporaryDir cannot name these files to remove them.
    ::unlink(first->CStr());
    ::unlink(second->CStr());
}

TEST_F(FileIoTest, WritabilityIsJudgedByTheFolderThatWouldHoldTheFile) {
    WriteBytes(In("file"), "x");
    EXPECT_TRUE(FolderWritable(NativePath(dir.path())));
    EXPECT_TRUE(FolderWritable(NativePath(In("not/yet/there"))));
    EXPECT_FALSE(FolderWritable(NativePath(In("file/below"))));
    EXPECT_FALSE(FolderWritable(NativePath(In("file"))));

    ASSERT_EQ(::mkdir(QFile::encodeName(In("locked")).constData(), 0555), 0);
    OpenToEveryone(dir.path(), 0755);
    if (!UnprivilegedCanReach(dir.path())) {
        GTEST_SKIP() << "user 65534 cannot reach " << qPrintable(dir.path())
                     << ": a folder above it is closed to other users";
    }
    EXPECT_EQ(
        RunUnprivileged([this] { return FolderWritable(NativePath(In("locked/below"))) ? 1 : 0; }),
        0);
}

TEST_F(FileIoTest, TemporaryFilesSayWhoseTheyAreAndThoseOfGoneWritersAreRemoved) {
    // A writer that has ended: its process id is free (and not taken again this soon).
    const pid_t gone = ::fork();
    if (gone == 0) {
        ::_exit(0);
    }
    ASSERT_GT(gone, 0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const QByteArray goneTemporary = ".a.pro.talvore-tmp." + QByteArray::number(gone) + ".x1";
    const QByteArray liveTemporary =
        ".b.pro.talvore-tmp." + QByteArray::number(::getppid()) + ".x2";
    WriteBytes(In(goneTemporary.constData()), "half of a.pro");
    WriteBytes(In(liveTemporary.constData()), "half of b.pro, still being written");
    WriteBytes(In(".c.pro.tmp-zz"), "no writer named: nobody can tell it is gone");

    QStringList whileWriting;
    ASSERT_EQ(WriteFileAtomically(In("a.pro"),
                                  [&](QIODevice& file) {
                                      whileWriting = Names();
                                      return WriteText(file, "a");
                                  }),
              FileError::None);
    const QString own =
        QStringLiteral(".a.pro.talvore-tmp.%1.").arg(static_cast<qlonglong>(::getpid()));
    EXPECT_EQ(std::count_if(whileWriting.begin(), whileWriting.end(),
                            [&](const QString& name) { return name.startsWith(own); }),
              1)
        << whileWriting.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(Names(), (QStringList{QString::fromLatin1(liveTemporary),
                                    QStringLiteral(".c.pro.tmp-zz"), QStringLiteral("a.pro")}));
}

TEST_F(FileIoTest, ReadOnlyFilesStayAndLinksStayLinks) {
    WriteBytes(In("kept.pro"), "the user's");
    ASSERT_EQ(::chmod(QFile::encodeName(In("kept.pro")).constData(), 0444), 0);
    // Refused even where the system would let us (as root): the file was made read-only.
    EXPECT_EQ(
        WriteFileAtomically(In("kept.pro"), [](QIODevice& file) { return WriteText(file, "new"); }),
        FileError::ReadOnly);
    EXPECT_EQ(ReadBytes(In("kept.pro")), QByteArray("the user's"));

    // A link to a file, and one to a file that is not there yet (relative, into another folder).
    WriteBytes(In("synced/t.pro"), "old");
    ASSERT_EQ(::symlink("synced/t.pro", QFile::encodeName(In("l.pro")).constData()), 0);
    ASSERT_EQ(::symlink("synced/later.pro", QFile::encodeName(In("l2.pro")).constData()), 0);
    EXPECT_EQ(WriteTarget(In("l2.pro")),
              NativePath(In("l2.pro")).Folder().Child("synced/later.pro"));
    for (const char* link : {"l.pro", "l2.pro"}) {
        ASSERT_EQ(
            WriteFileAtomically(In(link), [](QIODevice& file) { return WriteText(file, "new"); }),
            FileError::None);
        EXPECT_TRUE(QFileInfo(In(link)).isSymLink()) << link;
    }
    EXPECT_EQ(ReadBytes(In("synced/t.pro")), QByteArray("new"));
    EXPECT_EQ(ReadBytes(In("synced/later.pro")), QByteArray("new"));
    EXPECT_EQ(QDir(In("synced")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("later.pro"), QStringLiteral("t.pro")}));
}

TEST(PrintableText, ControlCharactersCannotForgeLines) {
    EXPECT_EQ(EscapeControls(QStringLiteral("a\tb\nc\rd\\e")),
              QStringLiteral("a\\tb\\nc\\rd\\\\e"));
    EXPECT_EQ(EscapeControls(QString(QChar(0x1B)) + QChar(0x85)),
              QStringLiteral("\\u{001b}\\u{0085}"));
    // A lone surrogate is escaped; a whole pair stays.
    EXPECT_EQ(EscapeControls(QString(QChar(0xD83D)) + QStringLiteral("x")),
              QStringLiteral("\\u{d83d}x"));
    EXPECT_EQ(EscapeControls(QStringLiteral("\U0001F600")), QStringLiteral("\U0001F600"));
    EXPECT_EQ(PrintableFileName(QByteArray("\xc3\xa9\xc3\n\xed\xa0\x80")),
              QStringLiteral("\u00e9\\xc3\\n\\xed\\xa0\\x80"));
    // Line and paragraph separators split a line on many terminals; the direction controls make
    // a name read in another order than it is stored.
    EXPECT_EQ(EscapeControls(QStringLiteral("a\u2028b\u2029c\u202Ed\u2066e\u200Ff")),
              QStringLiteral("a\\u{2028}b\\u{2029}c\\u{202e}d\\u{2066}e\\u{200f}f"));
    EXPECT_EQ(PrintableFileName(QByteArray("x\xe2\x80\xaey")), QStringLiteral("x\\u{202e}y"));
}

}  // namespace
