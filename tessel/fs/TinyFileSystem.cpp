#include "tessel/fs/TinyFileSystem.h"

#include <ctime>

#include "tessel/core/System.h"
#include "tessel/fs/TinyFileStream.h"
#include "tessel/fs/VirtualPath.h"

namespace tessel {

namespace {

using Record = TinyContainer::Record;

// Paths must stay shorter than this, in characters and in UTF-8 bytes.
constexpr int PATH_LIMIT = TinyContainer::MAX_PATH_BYTES + 1;
constexpr int COPY_PIECE = 1020;

uint32_t now()
{
    return static_cast<uint32_t>(System::currentTime());
}

std::string parentOf(const std::string& key)
{
    return key.substr(0, key.rfind('/'));
}

// Whether `path` lies below `key` ("" is the root, above everything).
bool isBelow(const std::string& path, const std::string& key)
{
    return path.size() > key.size() && path.compare(0, key.size(), key) == 0 && path[key.size()] == '/';
}

// Seconds since 1970 of a local wall-clock time; 0 when it has no date.
int64_t secondsOf(const DateTime& time)
{
    if (!time.isValid())
        return 0;
    struct tm local = {};
    time.toAnsiTM(&local);
    local.tm_isdst = -1;
    std::time_t seconds = std::mktime(&local);
    return seconds == static_cast<std::time_t>(-1) ? 0 : static_cast<int64_t>(seconds);
}

template <class Stream>
bool handOut(Stream* stream, Stream** out)
{
    stream->AddRef();
    *out = stream;
    return true;
}

} // namespace

TinyFileSystem::TinyFileSystem(const String& path)
{
    if (!path.empty())
        initialize(path, false);
}

TinyFileSystem::~TinyFileSystem()
{
    cleanup();
}

bool TinyFileSystem::initialize(const String& path, bool create)
{
    cleanup();
    Ref<TinyContainer> container = new TinyContainer();
    if (!container->open(path, create))
        return false;
    container_ = container;
    current_ = u"/";
    return true;
}

void TinyFileSystem::cleanup()
{
    // Streams still open over the container fail from now on.
    if (container_)
        container_->close();
    container_.reset();
}

bool TinyFileSystem::findPath(const String& path, Record& out)
{
    std::string key;
    int index = _key(path, key) ? _find(key) : -1;
    if (index < 0)
        return false;
    out = container_->record(index);
    return true;
}

// ---------------------------------------------------------------- service

bool TinyFileSystem::connect(const String&, IObject*)
{
    return isConnected();
}

void TinyFileSystem::close()
{
    cleanup();
}

bool TinyFileSystem::isConnected()
{
    return container_ && container_->isOpen();
}

bool TinyFileSystem::setProperty(const String&, const String&)
{
    return false;
}

// ------------------------------------------------------------------ paths

bool TinyFileSystem::_key(const String& path, std::string& key)
{
    if (!isConnected() || path.empty() || path.indexOf(u'\0') >= 0)
        return false;
    String full = VirtualPath::resolve(current_, path);
    if (full.size() >= PATH_LIMIT)
        return false;
    if (full.size() == 1) {
        key.clear();
        return true;
    }
    // A path that UTF-8 cannot carry (a lone surrogate) could never be
    // found again.
    key = full.toStdString();
    return static_cast<int>(key.size()) < PATH_LIMIT && String::fromUTF8(key) == full;
}

int TinyFileSystem::_find(const std::string& key) const
{
    return key.empty() ? -1 : container_->find(key);
}

bool TinyFileSystem::_isDirectoryKey(const std::string& key) const
{
    if (key.empty())
        return true;
    int index = _find(key);
    return index >= 0 && container_->record(index).isDirectory();
}

std::vector<int> TinyFileSystem::_below(const std::string& key) const
{
    std::vector<int> found;
    for (int i = 0; i < container_->count(); i++) {
        const Record& record = container_->record(i);
        if (record.isLive() && isBelow(record.path, key))
            found.push_back(i);
    }
    return found;
}

void TinyFileSystem::normalize(String& path)
{
    if (!path.empty())
        path = VirtualPath::normalize(path);
}

bool TinyFileSystem::resolve(String& path)
{
    String full = VirtualPath::resolve(current_, path);
    if (full.size() >= PATH_LIMIT)
        return false;
    path = full;
    return true;
}

bool TinyFileSystem::getRealPath(const String& path, String& real)
{
    std::string key;
    if (!_key(path.empty() ? current_ : path, key))
        return false;
    real = key.empty() ? String(u"/") : String::fromUTF8(key);
    return true;
}

bool TinyFileSystem::setCurrentDirectory(const String& path)
{
    if (path.empty())
        return true;
    std::string key;
    if (!_key(path, key) || !_isDirectoryKey(key))
        return false;
    current_ = key.empty() ? String(u"/") : String::fromUTF8(key);
    return true;
}

bool TinyFileSystem::isAbsolute(const String& path)
{
    return VirtualPath::isAbsolute(path);
}

// -------------------------------------------------------------- directories

bool TinyFileSystem::_createDirectoryRecord(const std::string& key)
{
    return container_->addRecord(key, TinyContainer::INFO_DIRECTORY, 0, now()) >= 0;
}

bool TinyFileSystem::createDirectory(const String& path, bool recursive)
{
    std::string key;
    if (!_key(path, key))
        return false;
    for (size_t slash = key.find('/', 1); slash != std::string::npos; slash = key.find('/', slash + 1)) {
        std::string prefix = key.substr(0, slash);
        int index = _find(prefix);
        if (index >= 0) {
            if (!container_->record(index).isDirectory())
                return false;
        } else if (!recursive || !_createDirectoryRecord(prefix)) {
            return false;
        }
    }
    if (key.empty())
        return true;
    int index = _find(key);
    if (index >= 0)
        return container_->record(index).isDirectory();
    return _createDirectoryRecord(key);
}

bool TinyFileSystem::removeDirectory(const String& path, bool recursive)
{
    std::string key;
    if (!_key(path, key) || key.empty())
        return false;
    int index = _find(key);
    if (index < 0 || !container_->record(index).isDirectory())
        return false;
    std::vector<int> children = _below(key);
    if (!children.empty() && !recursive)
        return false;
    for (int child : children)
        if (!container_->markDeleted(child))
            return false;
    return container_->markDeleted(index);
}

bool TinyFileSystem::emptyDirectory(const String& path)
{
    std::string key;
    if (!_key(path, key) || !_isDirectoryKey(key))
        return false;
    bool deletedAll = true;
    for (int child : _below(key))
        deletedAll = container_->markDeleted(child) && deletedAll;
    return deletedAll;
}

void TinyFileSystem::listDirectory(const String& path, Array<FileEntry>& out)
{
    std::string key;
    if (!_key(path, key) || (!key.empty() && _find(key) < 0))
        return;
    for (int index : _below(key)) {
        const Record& record = container_->record(index);
        int64_t size = record.isDirectory() ? 0 : record.size;
        out.add(new FileEntry(String::fromUTF8(record.path), size, _attributesOf(record),
                              DateTime(static_cast<int64_t>(record.time))));
    }
}

bool TinyFileSystem::getFolderInfo(const String& path, int& files, int64_t& bytes)
{
    std::string key;
    if (!_key(path, key) || !_isDirectoryKey(key))
        return false;
    for (int index : _below(key)) {
        const Record& record = container_->record(index);
        if (record.isDirectory())
            continue;
        files++;
        bytes += record.size;
    }
    return true;
}

// ------------------------------------------------------------- attributes

int TinyFileSystem::_attributesOf(const Record& record) const
{
    int attributes = record.isDirectory() ? ATTR_DIRECTORY : ATTR_FILE;
    return record.isReadOnly() ? attributes | ATTR_READONLY : attributes;
}

int TinyFileSystem::getFileAttribute(const String& path)
{
    std::string key;
    if (!_key(path, key))
        return 0;
    if (key.empty())
        return ATTR_DIRECTORY;
    int index = _find(key);
    return index < 0 ? 0 : _attributesOf(container_->record(index));
}

bool TinyFileSystem::isExists(const String& path)
{
    return getFileAttribute(path) != 0;
}

bool TinyFileSystem::isFile(const String& path)
{
    return (getFileAttribute(path) & ATTR_FILE) != 0;
}

bool TinyFileSystem::isDirectory(const String& path)
{
    return (getFileAttribute(path) & ATTR_DIRECTORY) != 0;
}

bool TinyFileSystem::isReadable(const String& path)
{
    return isExists(path);
}

bool TinyFileSystem::isWriteable(const String& path)
{
    int attributes = getFileAttribute(path);
    return attributes != 0 && !(attributes & ATTR_READONLY);
}

DateTime TinyFileSystem::getFileTime(const String& path)
{
    std::string key;
    int index = _key(path, key) ? _find(key) : -1;
    if (index < 0)
        return DateTime();
    return DateTime(static_cast<int64_t>(container_->record(index).time));
}

void TinyFileSystem::setFileTime(const String& path, const DateTime& time)
{
    std::string key;
    int index = _key(path, key) ? _find(key) : -1;
    int64_t seconds = secondsOf(time);
    if (index < 0 || seconds == 0)
        return;
    const Record& record = container_->record(index);
    uint32_t stored = static_cast<uint32_t>(seconds); // the low 32 bits
    if (stored != record.time)
        container_->writeHead(index, record.info, record.size, stored);
}

int64_t TinyFileSystem::getFileSize(const String& path)
{
    std::string key;
    if (!_key(path, key))
        return -1;
    if (key.empty())
        return 0;
    int index = _find(key);
    if (index < 0)
        return -1;
    const Record& record = container_->record(index);
    return record.isDirectory() ? 0 : record.size;
}

void TinyFileSystem::setReadOnly(const String& path, bool readOnly)
{
    std::string key;
    int index = _key(path, key) ? _find(key) : -1;
    if (index < 0)
        return;
    const Record& record = container_->record(index);
    if (record.isReadOnly() == readOnly)
        return;
    uint32_t info = record.info ^ TinyContainer::INFO_READONLY;
    container_->writeHead(index, info, record.size, record.time);
}

// ------------------------------------------------------------------ files

bool TinyFileSystem::open(const String&, IFileStream**, int)
{
    return false;
}

bool TinyFileSystem::open(const String& path, IInputStream** out)
{
    std::string key;
    int index = out && _key(path, key) ? _find(key) : -1;
    if (index < 0 || container_->record(index).isDirectory())
        return false;
    return handOut<IInputStream>(new TinyFileStream(container_, index, false), out);
}

// An existing file is truncated (and takes the time of now); a missing one
// is created when its directory exists.
bool TinyFileSystem::open(const String& path, IOutputStream** out)
{
    std::string key;
    if (!out || !_key(path, key) || key.empty())
        return false;
    int index = _find(key);
    if (index >= 0) {
        const Record& record = container_->record(index);
        if (record.isDirectory() || record.isReadOnly() || !container_->writeHead(index, record.info, 0, now()))
            return false;
    } else {
        if (!_isDirectoryKey(parentOf(key)))
            return false;
        index = container_->addRecord(key, 0, 0, now());
        if (index < 0)
            return false;
    }
    return handOut<IOutputStream>(new TinyFileStream(container_, index, true), out);
}

bool TinyFileSystem::deleteFile(const String& path)
{
    std::string key;
    int index = _key(path, key) ? _find(key) : -1;
    if (index < 0 || container_->record(index).isDirectory())
        return false;
    return container_->markDeleted(index);
}

// In place when the new path fits the record, else as a new record that
// takes over the old one's data, which is deleted only then.
bool TinyFileSystem::_relocate(int index, const std::string& key)
{
    if (container_->rename(index, key))
        return true;
    Record record = container_->record(index);
    return container_->addRecord(key, record.info, record.size, record.time) >= 0 && container_->markDeleted(index);
}

bool TinyFileSystem::moveFile(const String& from, const String& to, bool overwrite)
{
    std::string source, target;
    if (!_key(from, source) || !_key(to, target) || source.empty() || target.empty() || source == target)
        return false;
    int index = _find(source);
    if (index < 0 || !_isDirectoryKey(parentOf(target)))
        return false;
    bool directory = container_->record(index).isDirectory();
    if (directory && isBelow(target, source))
        return false; // into itself
    int existing = _find(target);
    if (existing >= 0 && (!overwrite || container_->record(existing).isDirectory()))
        return false;
    // Whatever lies below the target would be overwritten by what comes
    // along; and every path that moves must still fit a record.
    if (!_below(target).empty())
        return false;
    std::vector<int> children = directory ? _below(source) : std::vector<int>();
    for (int child : children)
        if (target.size() + container_->record(child).path.size() - source.size() >= PATH_LIMIT)
            return false;
    // The file replaced goes only once the move has happened, so that a
    // move that fails loses nothing.
    if (!_relocate(index, target) || (existing >= 0 && !container_->markDeleted(existing)))
        return false;
    bool movedAll = true;
    for (int child : children) {
        std::string rest = container_->record(child).path.substr(source.size());
        movedAll = _relocate(child, target + rest) && movedAll;
    }
    return movedAll;
}

bool TinyFileSystem::copyFile(const String& from, const String& to, bool overwrite)
{
    std::string source, target;
    if (!_key(from, source) || !_key(to, target) || target.empty() || source == target)
        return false;
    int index = _find(source);
    if (index < 0 || container_->record(index).isDirectory())
        return false;
    int existing = _find(target);
    if (existing >= 0 && !overwrite)
        return false;
    return _copyData(index, target);
}

bool TinyFileSystem::_copyData(int from, const std::string& to)
{
    Ref<IInputStream> in = new TinyFileStream(container_, from, false);
    Ref<IOutputStream> out;
    if (!open(String::fromUTF8(to), out.out()))
        return false;
    char piece[COPY_PIECE];
    for (;;) {
        int n = in->read(piece, COPY_PIECE);
        if (n < 0)
            return false;
        if (n == 0)
            return in->isEnd();
        if (out->write(piece, n) != n)
            return false;
    }
}

} // namespace tessel
