// The program's own small text files (datafilters.txt, datacookies.txt):
// read with a cap, replaced atomically with the previous file kept as
// NAME.bak, and kept in the user's own folder when the shared one in the
// Windows directory cannot be written.
#pragma once

#include <cstddef>
#include <string>

// No data file of ours is ever read past this.
const size_t kDataFileMaxBytes = 16u << 20;

enum class DataFileStatus { kAbsent, kUnreadable, kRead };

// Reads the whole file, at most `maxBytes`. `cut` tells that the file holds
// more; `bytes` then ends at its last complete line. `writeTime` is the
// file's last write time (also for a file that could not be read; 0 when
// absent).
DataFileStatus ReadDataFile(const std::string& path, size_t maxBytes, std::string& bytes, bool& cut,
                            unsigned long long& writeTime);
// Replaces the file by `bytes`: written beside it as NAME.tmp, the old file
// copied to NAME.bak, then moved over it. Unchanged content is not written.
// False, the file left as it was, when any step fails.
bool ReplaceDataFile(const std::string& path, const std::string& bytes);
// Replaces the file by `bytes` at once (NAME.<process id>.tmp moved over
// it), keeping no .bak: for reports that others collect. False, the file as it was,
// when any step fails.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);
// Moves the file to NAME.bak; true when no file is left at `path`.
bool RetireDataFile(const std::string& path);

// The two copies of one data file: the shared one and the user's own.
// Either path is empty when unknown.
struct DataFilePaths {
    std::string shared;
    std::string user;
};

// One data file over a run: it reads the newer copy and then writes only
// where that is safe. A copy that exists but could not be read is never
// replaced, and nothing at all is written when the newest copy could not
// be read, or was loaded only in part.
class DataFile {
public:
    // Reads the newer copy (the shared one when both are as new) into
    // `bytes`; false when there is nothing to load.
    bool Load(const DataFilePaths& paths, std::string& bytes);
    // What was loaded is only part of the file (a cap was reached).
    void MarkIncomplete() { refused_ = true; }
    // Writes the shared copy, or the user's when that fails. False when
    // nothing could be written or saving is refused.
    bool Save(const DataFilePaths& paths, const std::string& bytes);
    // Leaves no copy that holds anything (the list became empty); where the
    // shared copy cannot go, an empty user copy stands in for it.
    bool Remove(const DataFilePaths& paths);
    bool SavesRefused() const { return refused_; }
    // Back to the state before any load (a fresh start).
    void Forget() { *this = DataFile(); }

private:
    bool WriteUserCopy(const DataFilePaths& paths, const std::string& bytes) const;

    bool refused_ = false;
    bool sharedWritable_ = true;
    bool userWritable_ = true;
};
