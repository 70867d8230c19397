// The window's tabbed pages: a tab bar over a stack of pages, each page given
// exactly its client area.
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

private:
    QTabBar* tabs_;
    QStackedWidget* pages_;
};

}  // namespace vt
