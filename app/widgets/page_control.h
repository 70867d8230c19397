// The window's tabbed pages: a tab bar over a framed stack of pages. The
// pages sit 4 pixels inside the control's left, right and bottom edges, right
// under the tab bar, and each has exactly its client area (584 x 316 in the
// main window's 592 x 344).
#pragma once

#include <QWidget>

class QStackedWidget;
class QTabBar;

namespace vt {

class TPageControl : public QWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget* parent = nullptr);

    // Adds a page of the given client size under a new tab.
    QWidget* AddPage(const QString& objectName, const QString& caption);
    int PageCount() const;
    QWidget* Page(int index) const;
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    QTabBar* TabBar() const { return tabs_; }

    static constexpr int kPageWidth = 584;
    static constexpr int kPageHeight = 316;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTabBar* tabs_;
    QStackedWidget* pages_;
};

}  // namespace vt
