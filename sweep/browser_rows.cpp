#include "sweep/browser_rows.h"

#include <cstdio>

#include "browsers/site_list.h"
#include "browsers/stores.h"
#include "sweep/app_caches.h"
#include "sweep/clean_context.h"
#include "sweep/measure.h"
#include "sweep/preview.h"
#include "sweep/sweep.h"

namespace {

bool RowOf(int row, BrowserRow& out) {
    switch (row) {
    case SWEEP_BROWSER_COOKIES: out = BrowserRow::Cookies; return true;
    case SWEEP_BROWSER_HISTORY: out = BrowserRow::History; return true;
    case SWEEP_BROWSER_SESSIONS: out = BrowserRow::Sessions; return true;
    case SWEEP_BROWSER_FORMS: out = BrowserRow::Forms; return true;
    default: return false;
    }
}

// Only the cookie row reads the keep list; the others never delete a cookie.
KeepSites KeepListFor(BrowserRow row) { return row == BrowserRow::Cookies ? LoadKeepSites() : KeepSites(); }

class PreviewAdapter : public StoreVisitor {
public:
    explicit PreviewAdapter(PreviewList& list) : list_(list) {}
    void OnFile(const TreeEntry& e) override { list_.Add(e.folder, e.name, false, e.size); }
    void OnFolder(const TreeEntry& e) override { list_.Add(e.folder, e.name, true, 0); }
    void OnItem(const std::wstring& store, const std::wstring& text, unsigned long long bytes) override {
        list_.Add(store, text, false, bytes);
    }

private:
    PreviewList& list_;
};

class CleanAdapter : public StoreVisitor {
public:
    explicit CleanAdapter(CleanRecorder& recorder) : recorder_(recorder) {}
    bool Stop() override { return recorder_.Stop(); }
    void OnDeleted(const TreeEntry& e) override { recorder_.OnDeleted(e); }
    void OnLeft(const TreeEntry& e, LeftReason reason) override { recorder_.OnLeft(e, reason); }
    void OnRowsDeleted(const std::wstring& store, const std::string& what, unsigned long long count,
                       unsigned long long bytes) override {
        recorder_.DeletedEntries(store, what, count, bytes);
    }
    void OnStoreLeft(const std::wstring& store, const std::string& why) override { recorder_.LeftWithNote(store, why); }

private:
    CleanRecorder& recorder_;
};

}  // namespace

bool IsBrowserStoreRow(int row) {
    BrowserRow unused;
    return RowOf(row, unused);
}

bool BrowserStoreSubject(int row, char (&subject)[256]) {
    const char* names[] = {"Browser cookies", "Browser history", "Browser sessions", "Browser form history"};
    BrowserRow which;
    subject[0] = '\0';
    if (!RowOf(row, which) || LocalAppDataPath().empty()) return false;
    snprintf(subject, sizeof subject, "%s", names[static_cast<int>(which)]);
    return true;
}

void MeasureBrowserStoreRow(int row, ScanCounters& counters) {
    BrowserRow which;
    if (!RowOf(row, which)) return;
    StoreFigures figures = MeasureBrowserRow(which, KeepListFor(which));
    counters.files += figures.entries;
    counters.bytes += figures.bytes;
    counters.note = figures.note;
}

bool PreviewBrowserStoreRow(int row, PreviewList& out) {
    BrowserRow which;
    if (!RowOf(row, which)) return false;
    PreviewAdapter adapter(out);
    PreviewBrowserRow(which, KeepListFor(which), adapter);
    return true;
}

void CleanBrowserStoreRow(int row, CleanContext& context) {
    BrowserRow which;
    if (!RowOf(row, which)) return;
    CleanAdapter adapter(context.recorder);
    CleanBrowserRow(which, KeepListFor(which), adapter);
}
