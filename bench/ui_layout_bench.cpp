// The UI library's share of the start-up: the settings window built from main.xml with and
// without the theme (from the compiled layout, and by the run-time loader as for an edited
// file), the first window of a run against a later one, its first frame, and the language file
// with the texts it gives the controls.
//
//   ui_layout_bench SKIN_FOLDER [benchmark options]
//
// SKIN_FOLDER is a res/ folder (layouts, skins/theme.qss, lan/). Runs offscreen unless
// QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "sys/language_file.h"
#include "ui/language_manager.h"
#include "ui/ui_application.h"
#include "ui/ui_internal.h"
#include "ui/window_impl_base.h"

namespace {

QString g_themePath;

class MainLayoutWindow final : public WindowImplBase {
public:
    QString GetWindowClassName() const override { return QStringLiteral("BenchWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("main.xml"); }
};

QWidget* LoadMainLayout(benchmark::State& state) {
    QString error;
    QWidget* root = ui_internal::LoadLayout(QStringLiteral("main.xml"), nullptr, &error);
    if (root == nullptr) {
        state.SkipWithError(error.toUtf8().constData());
    }
    return root;
}

// The baseline: the layout file alone, no style sheet in force.
void BM_LoadMainLayoutWithoutTheme(benchmark::State& state) {
    const QString sheet = qApp->styleSheet();
    qApp->setStyleSheet(QString());
    for (auto _ : state) {
        delete LoadMainLayout(state);
    }
    qApp->setStyleSheet(sheet);
    state.SetLabel("main.xml built, no style sheet (baseline)");
}
BENCHMARK(BM_LoadMainLayoutWithoutTheme)->Unit(benchmark::kMillisecond);

// The same layout with one more line break at its end: no longer the file that shipped, so the
// run-time loader reads it, as it reads a layout the user edited.
void BM_LoadEditedMainLayoutWithoutTheme(benchmark::State& state) {
    const QString skin = UiApplication::SkinFolder();
    const QDir source(QDir(skin).absolutePath());
    QTemporaryDir edited;
    for (QDirIterator it(source.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString relative = source.relativeFilePath(it.next());
        QDir(edited.path()).mkpath(QFileInfo(relative).path());
        QFile::copy(it.filePath(), QDir(edited.path()).filePath(relative));
    }
    QFile layout(QDir(edited.path()).filePath(QStringLiteral("main.xml")));
    if (!edited.isValid() || !layout.open(QIODevice::Append) || layout.write("\n") != 1) {
        state.SkipWithError("no copy of the skin folder");
        return;
    }
    layout.close();
    const QString sheet = qApp->styleSheet();
    qApp->setStyleSheet(QString());
    UiApplication::SetSkinFolder(edited.path());
    for (auto _ : state) {
        delete LoadMainLayout(state);
    }
    UiApplication::SetSkinFolder(skin);
    qApp->setStyleSheet(sheet);
    state.SetLabel("main.xml edited, built by the run-time loader, no style sheet");
}
BENCHMARK(BM_LoadEditedMainLayoutWithoutTheme)->Unit(benchmark::kMillisecond);

void BM_LoadMainLayoutWithTheme(benchmark::State& state) {
    UiApplication::LoadTheme(g_themePath);
    QApplication::processEvents();  // the theme is in force from here on
    for (auto _ : state) {
        delete LoadMainLayout(state);
    }
    state.SetLabel("main.xml built, theme in force");
}
BENCHMARK(BM_LoadMainLayoutWithTheme)->Unit(benchmark::kMillisecond);

// A window as the library builds it (layout, window flags, theme, texts, controls wired) and
// its first frame drawn offscreen.
void CreateAndDraw(benchmark::State& state, bool firstOfRun) {
    QImage frame(800, 572, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        if (firstOfRun) {
            state.PauseTiming();
            qApp->setStyleSheet(QString());
            UiApplication::LoadTheme(g_themePath);
            state.ResumeTiming();
        }
        auto window = std::make_unique<MainLayoutWindow>();
        if (!window->Create(nullptr, 0, QRect(0, 0, 800, 572))) {
            state.SkipWithError("main.xml could not be built");
            break;
        }
        window->RootWidget()->render(&frame);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

void BM_FirstWindowOfRun(benchmark::State& state) {
    CreateAndDraw(state, true);
    state.SetLabel("first window of a run: built from main.xml, themed, first frame");
}
BENCHMARK(BM_FirstWindowOfRun)->Unit(benchmark::kMillisecond);

void BM_LaterWindow(benchmark::State& state) {
    UiApplication::LoadTheme(g_themePath);
    QApplication::processEvents();
    CreateAndDraw(state, false);
    state.SetLabel("a later window (theme already in force): built, first frame");
}
BENCHMARK(BM_LaterWindow)->Unit(benchmark::kMillisecond);

void BM_LoadLanguageFile(benchmark::State& state) {
    LanguageFile file;
    const QString path = UiApplication::SkinPath(QStringLiteral("lan/RU.xml"));
    for (auto _ : state) {
        if (!file.Load(path)) {
            state.SkipWithError("lan/RU.xml could not be read");
            break;
        }
    }
    state.SetLabel("language file lan/RU.xml read");
}
BENCHMARK(BM_LoadLanguageFile)->Unit(benchmark::kMillisecond);

void BM_ApplyTextKeys(benchmark::State& state) {
    UiApplication::LoadTheme(g_themePath);
    QApplication::processEvents();
    std::unique_ptr<QWidget> root(LoadMainLayout(state));
    root->ensurePolished();
    for (auto _ : state) {
        ui_internal::ApplyTextKeys(root.get());
    }
    state.SetLabel("texts of every control of main.xml set from the language");
}
BENCHMARK(BM_ApplyTextKeys)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SKIN_FOLDER [benchmark options]\n", argv[0]);
        return 1;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const QString skinFolder = QString::fromLocal8Bit(argv[1]);
    UiApplication app(argc, argv);
    UiApplication::SetSkinFolder(skinFolder);
    g_themePath = UiApplication::SkinPath(QStringLiteral("skins/theme.qss"));
    LanguageManager::Instance().Load(QStringLiteral("lan/EN.xml"));
    argv[1] = argv[0];
    int rest = argc - 1;
    benchmark::Initialize(&rest, argv + 1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
