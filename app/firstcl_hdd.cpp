// Test 4: uncached file read speed.
#include <QFile>
#include <cerrno>
#include <new>
#include <optional>
#include <ostream>

#include "app/dialogs.h"
#include "app/firstcl_.h"
#include "app/qt_text.h"
#include "app/widgets/filename_edit.h"
#include "app/widgets/memo.h"
#include "app/widgets/shadow_label.h"
#include "benchmarks/file_read.h"
#include "platform/direct_file.h"
#include "platform/errors.h"
#include "platform/file_system_type.h"
#include "platform/number_format.h"

namespace vt {

namespace {
// File names go to the system as its own bytes, not as Windows-1251 text.
std::string SystemName(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

// One line on `out`. A line that cannot be written raises the I/O error of
// the failed write.
void WriteLine(std::ostream& out, const std::string& line)
{
    errno = 0;
    out << line << '\n' << std::flush;
    if (!out) {
        const int code = errno != 0 ? errno : EIO;
        out.clear();
        throw EInOutError(code);
    }
}
}  // namespace

void T_fVesktest::RxSpeedButton1Click(QObject*)
{
    const QString N = FilenameEdit1->FileName();
    const std::string name = SystemName(N);
    const std::int64_t L = DirectoryEntrySize(name);
    if (L <= kFileReadMinSize)
        Dialogs().ShowMessage(this, QStringLiteral("Size of file must be > 1mb"));
    ShowWait(RxLabel4);
    if (N.isEmpty() || !FileExists(name) || L <= kFileReadMinSize) {
        ShowReady(RxLabel4);
        return;
    }

    // A file in memory or behind a link is still measured, but the figure is
    // not a disk's, and standard output says so.
    const std::string warning = NotADiskWarning(name, FileSystemTypeOf(name));
    if (!warning.empty()) WriteLine(*Env().StdOut, warning);

    // The test reports its own failures on standard output; the handle and
    // the buffer are released before the line is written.
    std::optional<std::string> failure;
    try {
        BeginConditions(4);
        const TFileReadFigures figures = MeasureFileRead(name, Env().Ticks);
        EndConditions(4);
        Scores.HddSpeed = static_cast<double>(figures.HddSpeed);
        LastFile = name;
        ToTab();
        const std::string mibPerSec = FloatToStr(figures.Thousandths * 0.001L, Env().Format);
        HDDspeed->SetCaption(Q(mibPerSec + " Mb/s"));
        const std::string cdTimes = FloatToStr(figures.CdTenths * 0.1L, Env().Format);
        CDspeed->SetCaption(Q(cdTimes + "X"));
        Memo2->AddLine("Average speed of reading =  " + mibPerSec + " mb/s");
        Memo2->AddLine("For CD's average x-speed = " + cdTimes + "X");
    } catch (const std::bad_alloc&) {
        failure = EOutOfMemory().Message();
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (failure) WriteLine(*Env().StdOut, *failure);
    ShowReady(RxLabel4);
}

void T_fVesktest::FilenameEdit1AfterDialog(QObject*, QString& Name, bool&)
{
    const std::int64_t size = DirectoryEntrySize(SystemName(Name));
    FileSz->SetCaption(Q(IntToStr(size / 1048576) + " Mb"));
}

}  // namespace vt
