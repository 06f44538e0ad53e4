#include "tessel/fs/VirtualFileSystem.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "tessel/core/System.h"
#include "tessel/fs/VirtualPath.h"

namespace tessel {

namespace {

bool isSlash(char16_t c)
{
    return c == u'/' || c == u'\\';
}

// The canonical host path (symbolic links followed), empty when it does
// not exist.
std::string hostRealPath(const std::string& path)
{
    std::string result;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        result = resolved;
        std::free(resolved);
    }
    return result;
}

// The longest leading part of a host path that is there, a symbolic link
// counting as there even when it leads nowhere (so that it is resolved,
// and refused, rather than created through).
std::string hostExistingPart(std::string path)
{
    struct stat info;
    while (!path.empty() && ::lstat(path.c_str(), &info) != 0) {
        std::string::size_type slash = path.rfind('/');
        if (slash == std::string::npos)
            return ".";
        path.resize(slash == 0 ? 1 : slash);
    }
    return path;
}

// The length of `path` without its trailing "/" and "\"; a lone "/" stays.
int trimmedLength(const String& path)
{
    int n = path.size();
    while (n > 1 && isSlash(path[n - 1]))
        n--;
    return n;
}

} // namespace

VirtualFileSystem::VirtualFileSystem(const String& root, IFileSystem* inner)
    : inner_(inner ? inner : &System::getInstance())
{
    inner_->AddRef();
    caseSensitive_ = inner_->isCaseSensitive();
    String real;
    if (!root.empty() && inner_->getRealPath(root, real))
        root_ = _trimmed(real);
}

VirtualFileSystem::~VirtualFileSystem()
{
    inner_->Release();
}

// Trailing "/" and "\" are dropped, but a root of "/" stays "/": an empty
// root would mean not connected.
String VirtualFileSystem::_trimmed(const String& path)
{
    return path.substr(0, trimmedLength(path));
}

void VirtualFileSystem::setRootPath(const String& root)
{
    root_ = _trimmed(root);
    current_ = u"/";
}

bool VirtualFileSystem::_isHost() const
{
    return inner_ == static_cast<IFileSystem*>(&System::getInstance());
}

// ---------------------------------------------------------------- service

bool VirtualFileSystem::setProperty(const String& key, const String& value)
{
    if (!key.equalsIgnoreCase(u"basepath"))
        return false;
    basePath_ = _trimmed(value);
    root_.clear();
    current_ = u"/";
    return true;
}

bool VirtualFileSystem::connect(const String& name, IObject*)
{
    if (basePath_.empty())
        return false;
    String candidate;
    if (name.empty()) {
        candidate = basePath_;
    } else {
        // The name is a path below the base: ".." cannot climb out of it.
        String below = VirtualPath::normalize(String(u"/") + name);
        if (below.size() == 1)
            return false;
        inner_->join(candidate, basePath_, below);
        candidate = _trimmed(candidate);
        if (!inner_->isDirectory(candidate) || !_liesWithin(candidate, basePath_))
            return false;
    }
    root_ = candidate;
    current_ = u"/";
    return true;
}

void VirtualFileSystem::close()
{
    root_.clear();
    current_ = u"/";
}

// ------------------------------------------------------------------ paths

void VirtualFileSystem::normalize(String& path)
{
    if (!path.empty())
        path = VirtualPath::normalize(path);
}

bool VirtualFileSystem::resolve(String& path)
{
    path = VirtualPath::resolve(current_, path);
    return true;
}

bool VirtualFileSystem::isAbsolute(const String& path)
{
    return VirtualPath::isAbsolute(path);
}

bool VirtualFileSystem::_isRoot(const String& path) const
{
    return VirtualPath::resolve(current_, path).size() == 1;
}

bool VirtualFileSystem::_real(const String& path, String& real)
{
    if (!isConnected() || path.empty())
        return false;
    String virtualPath = VirtualPath::resolve(current_, path);
    String result(root_.size() + virtualPath.size() + 1);
    result.append(root_);
    if (virtualPath.size() > 1)
        result.append(virtualPath.c_str() + (isSlash(root_[root_.size() - 1]) ? 1 : 0));
    inner_->normalize(result);
    if (!_liesWithin(result, root_))
        return false;
    real = result;
    return true;
}

bool VirtualFileSystem::_liesWithin(const String& path, const String& folder)
{
    // The inner file system's normalisation may have made a ".." of a name
    // (the host cuts a path at "#"), so the rest is checked once more.
    if (!VirtualPath::isWithin(path, folder, caseSensitive_))
        return false;
    if (VirtualPath::hasDotParts(path.substr(trimmedLength(folder))))
        return false;
    return _resolvesWithin(path, folder);
}

// Symbolic links inside the folder may lead out of it: what exists of the
// path is resolved and must still lie below the resolved folder. The rest
// of the path is plain names, created below what exists.
bool VirtualFileSystem::_resolvesWithin(const String& path, const String& folder)
{
    if (_isHost()) {
        std::string resolvedFolder = hostRealPath(System::nativePath(folder));
        std::string resolved = hostRealPath(hostExistingPart(System::nativePath(path)));
        return !resolvedFolder.empty() && !resolved.empty() &&
               VirtualPath::isWithin(String::fromUTF8(resolved), String::fromUTF8(resolvedFolder), caseSensitive_);
    }
    String existing = path;
    while (existing.size() > 1 && !inner_->isExists(existing)) {
        int slash = existing.lastIndexOfAny(u"/\\");
        if (slash < 0)
            return false;
        existing.trunc(slash == 0 ? 1 : slash);
    }
    String resolved, resolvedFolder;
    return inner_->getRealPath(existing, resolved) && inner_->getRealPath(folder, resolvedFolder) &&
           VirtualPath::isWithin(resolved, _trimmed(resolvedFolder), caseSensitive_);
}

String VirtualFileSystem::_virtualOf(const String& real) const
{
    if (!VirtualPath::isAbsolute(real) || !VirtualPath::isWithin(real, root_, caseSensitive_))
        return real;
    if (root_.size() == 1)
        return real;
    String rest = real.substr(trimmedLength(root_));
    return rest.empty() ? String(u"/") : VirtualPath::normalize(rest);
}

bool VirtualFileSystem::getRealPath(const String& path, String& real)
{
    String result;
    if (!_real(path, result))
        return false;
    real = result;
    return true;
}

bool VirtualFileSystem::setCurrentDirectory(const String& path)
{
    if (path.empty())
        return true;
    String real;
    if (!_real(path, real) || !inner_->isDirectory(real))
        return false;
    current_ = VirtualPath::resolve(current_, path);
    return true;
}

// ------------------------------------------------------------- operations

bool VirtualFileSystem::createDirectory(const String& path, bool recursive)
{
    String real;
    return _real(path, real) && inner_->createDirectory(real, recursive);
}

bool VirtualFileSystem::removeDirectory(const String& path, bool recursive)
{
    String real;
    return !_isRoot(path) && _real(path, real) && inner_->removeDirectory(real, recursive);
}

bool VirtualFileSystem::emptyDirectory(const String& path)
{
    String real;
    return _real(path, real) && inner_->emptyDirectory(real);
}

bool VirtualFileSystem::getFolderInfo(const String& path, int& files, int64_t& bytes)
{
    String real;
    return _real(path, real) && inner_->getFolderInfo(real, files, bytes);
}

int VirtualFileSystem::getFileAttribute(const String& path)
{
    String real;
    return _real(path, real) ? inner_->getFileAttribute(real) : 0;
}

bool VirtualFileSystem::isExists(const String& path)
{
    String real;
    return _real(path, real) && inner_->isExists(real);
}

bool VirtualFileSystem::isFile(const String& path)
{
    String real;
    return _real(path, real) && inner_->isFile(real);
}

bool VirtualFileSystem::isDirectory(const String& path)
{
    String real;
    return _real(path, real) && inner_->isDirectory(real);
}

bool VirtualFileSystem::isReadable(const String& path)
{
    String real;
    return _real(path, real) && inner_->isReadable(real);
}

bool VirtualFileSystem::isWriteable(const String& path)
{
    String real;
    return _real(path, real) && inner_->isWriteable(real);
}

bool VirtualFileSystem::open(const String& path, IFileStream** out, int mode)
{
    String real;
    return out && _real(path, real) && inner_->open(real, out, mode);
}

bool VirtualFileSystem::open(const String& path, IOutputStream** out)
{
    String real;
    return out && _real(path, real) && inner_->open(real, out);
}

bool VirtualFileSystem::open(const String& path, IInputStream** out)
{
    String real;
    return out && _real(path, real) && inner_->open(real, out);
}

DateTime VirtualFileSystem::getFileTime(const String& path)
{
    String real;
    return _real(path, real) ? inner_->getFileTime(real) : DateTime();
}

void VirtualFileSystem::setFileTime(const String& path, const DateTime& time)
{
    String real;
    if (_real(path, real))
        inner_->setFileTime(real, time);
}

int64_t VirtualFileSystem::getFileSize(const String& path)
{
    String real;
    return _real(path, real) ? inner_->getFileSize(real) : -1;
}

bool VirtualFileSystem::deleteFile(const String& path)
{
    String real;
    return _real(path, real) && inner_->deleteFile(real);
}

void VirtualFileSystem::setReadOnly(const String& path, bool readOnly)
{
    String real;
    if (_real(path, real))
        inner_->setReadOnly(real, readOnly);
}

bool VirtualFileSystem::moveFile(const String& from, const String& to, bool overwrite)
{
    String realFrom, realTo;
    return !_isRoot(from) && _real(from, realFrom) && _real(to, realTo) &&
           inner_->moveFile(realFrom, realTo, overwrite);
}

bool VirtualFileSystem::copyFile(const String& from, const String& to, bool overwrite)
{
    String realFrom, realTo;
    return _real(from, realFrom) && _real(to, realTo) && inner_->copyFile(realFrom, realTo, overwrite);
}

void VirtualFileSystem::listDirectory(const String& path, Array<FileEntry>& out)
{
    String real;
    if (!_real(path, real))
        return;
    int first = out.size();
    inner_->listDirectory(real, out);
    for (int i = first; i < out.size(); i++)
        out[i]->name = _virtualOf(out[i]->name);
}

} // namespace tessel
