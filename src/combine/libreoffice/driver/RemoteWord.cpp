// Word on an office of its own. Here: the files (the input's private copy, the text's UTF-8
// copy, the output copied out of the office's folder) and the watchdog around each step;
// the documents themselves are handled inside the office.
#include "RemoteWord.h"

#include <QFile>
#include <QFileInfo>

#include <vector>

namespace kumiro::lo {

namespace {

class RemoteDocument final : public WordDocument {
public:
    RemoteDocument(Session& session, sal_Int32 id) : session_(session), id_(id) {}

    void InsertBeforeLastParagraph(const QString& text) override
    {
        session_.step("Word.InsertBefore", {{"Doc", Any(id_)}, {"Text", Any(ou(text))}});
    }

    void SaveAs(const QString& path, WordFormat format) override
    {
        // The PDF export goes through an OpenDocument copy in the office's folder.
        const QString scratch = session_.tempDir() + QStringLiteral("/kumiro-pdf-source.odt");
        struct Remove {
            QString file;
            ~Remove() { QFile::remove(file); }
        } remove{scratch};
        session_.storeWith(
            [&](const rtl::OUString& url) {
                session_.stepInCall("Word.Save",
                                    {{"Doc", Any(id_)},
                                     {"Url", Any(url)},
                                     {"Format", Any(sal_Int32(format))},
                                     {"Scratch", Any(session_.officeUrl(scratch))}});
            },
            path, format == WordFormat::Text);
    }

    void Close() override
    {
        if (closed_)
            return;
        closed_ = true;
        session_.step("Word.Close", {{"Doc", Any(id_)}});
    }

private:
    Session& session_;
    sal_Int32 id_;
    bool closed_ = false;
};

class RemoteSelection final : public WordSelection {
public:
    explicit RemoteSelection(Session& session) : session_(session) {}

    void InsertFile(const QString& path) override
    {
        checkReadable(path);
        const rtl::OUString url = session_.inputUrl(path);
        session_.noteInput(path);
        const QString copy = session_.tempDir() + QStringLiteral("/kumiro-insert-%1.odt").arg(++copies_);
        rtl::OUString lost;
        session_.step("Word.Insert",
                      {{"Url", Any(url)}, {"Path", Any(ou(path))}, {"Copy", Any(session_.officeUrl(copy))}}, path) >>=
            lost;
        if (!lost.isEmpty())
            shortfalls_ << qs(lost);
    }

    void InsertBreak(int type) override
    {
        if (type != kSectionBreakNextPage)
            throw OfficeError(OfficeError::Failed, QStringLiteral("区切りの種類 %1 は扱えません。").arg(type));
        session_.step("Word.Break", {});
    }

    const QStringList& shortfalls() const { return shortfalls_; }
    void clear() { shortfalls_.clear(); }

private:
    Session& session_;
    int copies_ = 0;
    QStringList shortfalls_;
};

class RemoteWord final : public WordApplication {
public:
    RemoteWord(std::unique_ptr<Session> session, Retire retire)
        : session_(std::move(session)), retire_(std::move(retire)), selection_(*session_)
    {
    }
    ~RemoteWord() override { Quit(); }

    WordDocument& Documents_Add() override
    {
        sal_Int32 id = 0;
        session_->step("Word.Add", {}) >>= id;
        selection_.clear();
        documents_.push_back(std::make_unique<RemoteDocument>(*session_, id));
        return *documents_.back();
    }

    WordDocument& Documents_Open(const QString& path) override
    {
        checkReadable(path);
        const bool text = QFileInfo(path).suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0;
        const rtl::OUString url = text ? session_->utf8Copy(path, true) : session_->inputUrl(path);
        session_->noteInput(path);
        sal_Int32 id = 0;
        session_->step("Word.Open", {{"Url", Any(url)}, {"Path", Any(ou(path))}, {"Text", Any(text)}}, path) >>= id;
        documents_.push_back(std::make_unique<RemoteDocument>(*session_, id));
        return *documents_.back();
    }

    WordSelection& Selection() override { return selection_; }

    QStringList Shortfalls() override { return selection_.shortfalls(); }

    // The documents go with the office's component, which goes with the office.
    void Quit() override
    {
        documents_.clear();
        finish(session_, retire_);
    }

private:
    std::unique_ptr<Session> session_;
    Retire retire_;
    RemoteSelection selection_;
    std::vector<std::unique_ptr<RemoteDocument>> documents_;
};

} // namespace

std::unique_ptr<WordApplication> newWordApplication(std::unique_ptr<Session> session, Retire retire)
{
    return std::make_unique<RemoteWord>(std::move(session), std::move(retire));
}

} // namespace kumiro::lo
