#pragma once

#include <QWidget>
#include <memory>

#include "chmfile.h"

class QTextBrowser;
class QTreeWidget;

// The program's help window: the contents of a compiled help file as a topic tree beside the
// page, which is read from the file, links included.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(const ChmApi& api);
    ~HelpWindow() override;

    // Shows a page of a help file (the file's default topic when topic is empty). Returns an
    // explanation when the file or the page cannot be shown.
    QString showTopic(const QString& path, const QString& topic);
    QString currentPage() const;

private:
    void loadContents();

    ChmApi api_;
    std::unique_ptr<ChmFile> file_;
    QTreeWidget* tree_;
    QTextBrowser* browser_;
};
