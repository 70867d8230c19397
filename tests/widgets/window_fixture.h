// A main window for tests: a fake machine (no clock measurement, chosen
// memory, disk and date), a scripted tick counter, a temporary executable
// directory, and captured dialogs.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <deque>
#include <fstream>
#include <sstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/environment.h"
#include "app/firstcl_.h"
#include "platform/cp1251.h"

namespace vt::testing {

// Records every box instead of showing it.
class CapturedDialogs : public TDialogs {
public:
    struct Box {
        enum Kind { Message, Error } kind;
        QString text;
    };
    void ShowMessage(QWidget*, const QString& text) override { boxes.push_back({Box::Message, text}); }
    void ShowError(QWidget*, const QString& text) override { boxes.push_back({Box::Error, text}); }
    std::optional<QString> OpenFileName(QWidget*, const QString& current) override
    {
        openedWith.push_back(current);
        if (fileChoices.empty()) return std::nullopt;
        const bool chosen = fileChoices.front().has_value();
        const QString name = chosen ? *fileChoices.front() : QString();
        fileChoices.pop_front();
        if (!chosen) return std::nullopt;
        return name;
    }
    std::vector<QString> Errors() const
    {
        std::vector<QString> out;
        for (const auto& b : boxes)
            if (b.kind == Box::Error) out.push_back(b.text);
        return out;
    }
    std::vector<QString> Messages() const
    {
        std::vector<QString> out;
        for (const auto& b : boxes)
            if (b.kind == Box::Message) out.push_back(b.text);
        return out;
    }

    std::vector<Box> boxes;
    std::deque<std::optional<QString>> fileChoices;  // answers of the file dialog
    std::vector<QString> openedWith;
};

// A tick counter that returns the scripted values in turn, then keeps
// returning the last one advanced by `step` per reading.
struct ScriptedTicks {
    std::deque<std::uint32_t> values;
    std::uint32_t last = 1000;
    std::uint32_t step = 1;
    std::uint32_t operator()()
    {
        if (!values.empty()) {
            last = values.front();
            values.pop_front();
            return last;
        }
        return last += step;
    }
};

// An environment that never touches the real machine.
inline TEnvironment FakeEnvironment(const std::string& exeDir)
{
    TEnvironment env;
    env.ExeDir = exeDir;
    env.Format = FormatSettings{'.', ','};
    auto ticks = std::make_shared<ScriptedTicks>();
    env.Ticks = [ticks] { return (*ticks)(); };
    env.ReadTotalPhysMem = [] { return std::int64_t{256} * 1024 * 1024; };
    env.GetCPUInfo = [] {
        TCpuInfo info;
        info.VendorID = "GenuineIntel";
        info.Vendor = "Intel";
        info.ModelName = "P6 (Model 14)";
        return info;
    };
    env.MeasureCpuMHz = [] { return 1466.0; };
    env.TotalDiskSizeText = [](const FormatSettings&, bool) { return std::string("40.0"); };
    env.Today = [] { return QDate(2003, 6, 1); };
    env.EmptyLoop = [](std::int32_t) {};
    env.AvailableMemory = [] { return std::int64_t{1} << 40; };
    return env;
}

// The whole content of a file, as bytes.
inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The About page's built-in lines, written out independently of the window.
inline std::vector<std::string> BuiltInAboutLines()
{
    return {"",
            "1. Create & Sort Lists",
            "2. 10^9 Empty Cycles",
            "3. Draw Shapes",
            "4. HDD Speed (File Reading)",
            "5. FillChar & ReadChar",
            "        ",
            Ansi("Результаты тестов 1 и особенно 3 сильно зависят от "),
            Ansi("разрешения экрана и количества цветов. Поэтому лучше "),
            Ansi("тестировать в режиме 800x600, 16 бит цвет."),
            "",
            Ansi("Желательно отключить все программные мониторы."),
            "",
            Ansi("Для тестирования HDD лучше выбирать файлы > 100 мб")};
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetDialogs(&dialogs);
        env = FakeEnvironment(ExeDir());
    }
    void TearDown() override
    {
        window.reset();
        SetDialogs(nullptr);
    }
    std::string ExeDir() const { return QDir(dir.path()).absolutePath().toStdString() + "/"; }

    // Creates the window (runs the start-up sequence) with `env` as it stands.
    T_fVesktest& Open()
    {
        window = std::make_unique<T_fVesktest>(env);
        return *window;
    }

    // Replaces the tick counter with a fixed script.
    void ScriptTicks(std::deque<std::uint32_t> values, std::uint32_t step = 1)
    {
        auto ticks = std::make_shared<ScriptedTicks>();
        ticks->values = std::move(values);
        if (!ticks->values.empty()) ticks->last = ticks->values.back();
        ticks->step = step;
        window->Env().Ticks = [ticks] { return (*ticks)(); };
    }

    QTemporaryDir dir;
    CapturedDialogs dialogs;
    TEnvironment env;
    std::unique_ptr<T_fVesktest> window;
};

}  // namespace vt::testing
