#include "app/widgets/page_control.h"

#include <QStackedWidget>
#include <QTabBar>

namespace vt {

TPageControl::TPageControl(QWidget* parent)
    : QWidget(parent), tabs_(new QTabBar(this)), pages_(new QStackedWidget(this))
{
    tabs_->setDrawBase(true);
    tabs_->setExpanding(false);
    tabs_->setFocusPolicy(Qt::NoFocus);
    pages_->setFrameStyle(QFrame::NoFrame);
    connect(tabs_, &QTabBar::currentChanged, pages_, &QStackedWidget::setCurrentIndex);
}

QWidget* TPageControl::AddPage(const QString& objectName, const QString& caption)
{
    auto* page = new QWidget;
    page->setObjectName(objectName);
    page->setFixedSize(kPageWidth, kPageHeight);
    pages_->addWidget(page);
    tabs_->addTab(caption);
    return page;
}

int TPageControl::PageCount() const { return pages_->count(); }

QWidget* TPageControl::Page(int index) const { return pages_->widget(index); }

int TPageControl::ActivePageIndex() const { return tabs_->currentIndex(); }

void TPageControl::SetActivePageIndex(int index) { tabs_->setCurrentIndex(index); }

void TPageControl::resizeEvent(QResizeEvent*)
{
    // The pages sit in the lower part with a 4-pixel frame on each side.
    const int frame = (width() - kPageWidth) / 2;
    const int pagesTop = height() - kPageHeight - frame;
    tabs_->setGeometry(frame, 0, width() - 2 * frame, pagesTop);
    pages_->setGeometry(frame, pagesTop, kPageWidth, kPageHeight);
}

}  // namespace vt
