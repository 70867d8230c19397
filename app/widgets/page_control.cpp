#include "app/widgets/page_control.h"

#include <QPainter>
#include <QStackedWidget>
#include <QStyleOption>
#include <QTabBar>

namespace vt {

namespace {
constexpr int kFrame = 4;  // between the control's edges and its pages
}

TPageControl::TPageControl(QWidget* parent)
    : QWidget(parent), tabs_(new QTabBar(this)), pages_(new QStackedWidget(this))
{
    tabs_->setDrawBase(false);
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

int TPageControl::PageCount() const
{
    return pages_->count();
}

QWidget* TPageControl::Page(int index) const
{
    return pages_->widget(index);
}

int TPageControl::ActivePageIndex() const
{
    return tabs_->currentIndex();
}

void TPageControl::SetActivePageIndex(int index)
{
    tabs_->setCurrentIndex(index);
}

void TPageControl::resizeEvent(QResizeEvent*)
{
    // The page area takes what the tab bar leaves: the tabs get the strip
    // above the pages, the pages their exact client size.
    const int pagesTop = height() - kPageHeight - kFrame;
    tabs_->setGeometry(kFrame / 2, 0, width() - kFrame, pagesTop);
    pages_->setGeometry(kFrame, pagesTop, kPageWidth, kPageHeight);
}

void TPageControl::paintEvent(QPaintEvent*)
{
    // The raised frame round the pages, meeting the selected tab.
    QPainter p(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.shape = QTabBar::RoundedNorth;
    option.tabBarSize = tabs_->size();
    option.tabBarRect = tabs_->geometry();
    option.selectedTabRect = tabs_->tabRect(tabs_->currentIndex()).translated(tabs_->pos());
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    const int top = std::max(0, tabs_->geometry().bottom() + 1 - overlap);
    option.rect = QRect(0, top, width(), height() - top);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &p, this);
}

}  // namespace vt
