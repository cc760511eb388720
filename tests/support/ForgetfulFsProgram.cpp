// forgetful-fs BACKING MOUNTPOINT: a FUSE file system for crash tests. Everything passes
// through to the backing folder, while a model in memory keeps what a disk would still hold
// after a power cut: file bytes only once the file was synced, names only once their folder
// was synced. A cut throws away everything else, rewrites the backing folder to that state
// and fails every later operation with EIO. See ForgetfulFs.md for the model and the
// commands read from standard input.
#define FUSE_USE_VERSION 35

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Node {
    bool folder = false;
    bool link = false;
    mode_t mode = 0644;
    // A folder's names as the program sees them, and as the disk holds them.
    std::map<std::string, std::shared_ptr<Node>> live, durable;
    // A file's bytes as the disk holds them; a link's target.
    std::string bytes;
};
using NodePtr = std::shared_ptr<Node>;

struct OpenFile {
    int fd = -1;
    NodePtr node;
    bool syncWrites = false;
    bool append = false;
};

struct State {
    std::mutex mutex;
    int backing = -1;  // the backing folder, kept open: the mount may hide it
    NodePtr root;
    std::map<uint64_t, OpenFile> files;
    std::map<uint64_t, NodePtr> folders;
    uint64_t nextHandle = 1;
    long operations = 0;
    long cutAt = -1;  // no cut planned
    bool cut = false;
    bool trace = false;
    bool ending = false;  // the loop is over
};

State state;

// The path below the backing folder that the *at() calls take.
const char* relative(const char* path) {
    return path[1] == '\0' ? "." : path + 1;
}

std::pair<std::string, std::string> splitParent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

NodePtr find(const std::string& path) {
    NodePtr node = state.root;
    std::size_t start = 1;
    while (node && start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const auto entry = node->live.find(path.substr(start, end - start));
        node = entry == node->live.end() ? nullptr : entry->second;
        start = end + 1;
    }
    return node;
}

bool readAll(int fd, std::string& bytes) {
    bytes.clear();
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t n = pread(fd, buffer, sizeof buffer, offset);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
}

NodePtr load(int at, const char* name, const struct stat& info) {
    auto node = std::make_shared<Node>();
    node->mode = info.st_mode & 07777;
    if (S_ISDIR(info.st_mode)) {
        node->folder = true;
        const int fd = openat(at, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* listing = fd < 0 ? nullptr : fdopendir(fd);
        if (listing == nullptr) {
            throw std::runtime_error(std::string("cannot read folder ") + name);
        }
        while (const dirent* entry = readdir(listing)) {
            const std::string child = entry->d_name;
            struct stat childInfo {};
            if (child == "." || child == ".." ||
                fstatat(fd, child.c_str(), &childInfo, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;
            }
            node->live[child] = node->durable[child] = load(fd, child.c_str(), childInfo);
        }
        closedir(listing);
    } else if (S_ISLNK(info.st_mode)) {
        node->link = true;
        char target[PATH_MAX];
        const ssize_t n = readlinkat(at, name, target, sizeof target);
        node->bytes.assign(target, n > 0 ? static_cast<std::size_t>(n) : 0);
    } else if (S_ISREG(info.st_mode)) {
        const int fd = openat(at, name, O_RDONLY | O_CLOEXEC);
        if (fd < 0 || !readAll(fd, node->bytes)) {
            throw std::runtime_error(std::string("cannot read file ") + name);
        }
        close(fd);
    }
    return node;
}

void removeContents(int folder) {
    const int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = fd < 0 ? nullptr : fdopendir(fd);
    if (listing == nullptr) {
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(listing)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
    }
    for (const std::string& name : names) {
        if (unlinkat(fd, name.c_str(), 0) != 0) {
            const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (child >= 0) {
                removeContents(child);
                close(child);
            }
            unlinkat(fd, name.c_str(), AT_REMOVEDIR);
        }
    }
    closedir(listing);
}

// Writes a folder's durable names into an empty backing folder. A folder renamed into
// itself, synced on one side only, would lead round in a circle; it is left empty there.
void writeDurable(int folder, const Node& node, std::set<const Node*>& path) {
    path.insert(&node);
    for (const auto& [name, child] : node.durable) {
        if (child->folder) {
            if (mkdirat(folder, name.c_str(), child->mode) != 0) {
                continue;
            }
            const int fd = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd >= 0 && path.count(child.get()) == 0) {
                writeDurable(fd, *child, path);
            }
            if (fd >= 0) {
                close(fd);
            }
        } else if (child->link) {
            symlinkat(child->bytes.c_str(), folder, name.c_str());
        } else {
            const int fd =
                openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, child->mode);
            if (fd >= 0) {
                const char* data = child->bytes.data();
                std::size_t left = child->bytes.size();
                while (left > 0) {
                    const ssize_t n = write(fd, data, left);
                    if (n <= 0) {
                        break;
                    }
                    data += n;
                    left -= static_cast<std::size_t>(n);
                }
                fchmod(fd, child->mode);
                close(fd);
            }
        }
    }
    path.erase(&node);
}

// The power goes: the backing folder is made to hold the durable state alone.
void cutPower() {
    if (state.cut) {
        return;
    }
    state.cut = true;
    removeContents(state.backing);
    std::set<const Node*> path;
    writeDurable(state.backing, *state.root, path);
    if (state.trace) {
        fprintf(stderr, "forgetful-fs: cut after %ld operations\n", state.operations);
    }
}

// Every operation that changes the disk counts, and the planned cut comes before the one
// past it. Returns false when the operation must fail with EIO.
bool mutating(const char* what, const char* path) {
    if (state.cut) {
        return false;
    }
    if (state.cutAt >= 0 && state.operations >= state.cutAt) {
        cutPower();
        return false;
    }
    ++state.operations;
    if (state.trace) {
        fprintf(stderr, "forgetful-fs: %ld %s %s\n", state.operations, what,
                path == nullptr ? "(open file)" : path);
    }
    return true;
}

int failure() {
    return -errno;
}

#define LOCKED std::lock_guard<std::mutex> guard(state.mutex)
#define NOT_CUT      \
    if (state.cut) { \
        return -EIO; \
    }
#define MUTATING(what, path)     \
    if (!mutating(what, path)) { \
        return -EIO;             \
    }

OpenFile* openFile(fuse_file_info* fi) {
    if (fi == nullptr) {
        return nullptr;
    }
    const auto found = state.files.find(fi->fh);
    return found == state.files.end() ? nullptr : &found->second;
}

void* fsInit(fuse_conn_info* connection, fuse_config* config) {
    // Every read and write reaches this program (no page cache, no write-back), and names
    // and attributes are asked anew each time, so nothing after the cut is answered by the
    // kernel from memory.
    config->direct_io = 1;
    config->kernel_cache = 0;
    config->attr_timeout = 0;
    config->entry_timeout = 0;
    config->negative_timeout = 0;
    config->use_ino = 1;
    config->hard_remove = 1;
    config->nullpath_ok = 1;
    connection->want &= ~FUSE_CAP_WRITEBACK_CACHE;
    return nullptr;
}

int fsGetattr(const char* path, struct stat* info, fuse_file_info* fi) {
    LOCKED;
    NOT_CUT;
    if (OpenFile* file = openFile(fi)) {
        return fstat(file->fd, info) == 0 ? 0 : failure();
    }
    if (path == nullptr) {
        return -ENOENT;
    }
    return fstatat(state.backing, relative(path), info, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : failure();
}

int fsReadlink(const char* path, char* buffer, size_t size) {
    LOCKED;
    NOT_CUT;
    const ssize_t n = readlinkat(state.backing, relative(path), buffer, size - 1);
    if (n < 0) {
        return failure();
    }
    buffer[n] = '\0';
    return 0;
}

// Links a new node under its live name; the disk learns of it when the folder is synced.
void addLive(const char* path, NodePtr node) {
    const auto [parent, name] = splitParent(path);
    if (NodePtr folder = find(parent)) {
        folder->live[name] = std::move(node);
    }
}

void dropLive(const char* path) {
    const auto [parent, name] = splitParent(path);
    if (NodePtr folder = find(parent)) {
        folder->live.erase(name);
    }
}

int fsMknod(const char* path, mode_t mode, dev_t device) {
    LOCKED;
    MUTATING("mknod", path);
    if (!S_ISREG(mode) || mknodat(state.backing, relative(path), mode, device) != 0) {
        return S_ISREG(mode) ? failure() : -EPERM;
    }
    auto node = std::make_shared<Node>();
    node->mode = mode & 07777;
    addLive(path, node);
    return 0;
}

int fsMkdir(const char* path, mode_t mode) {
    LOCKED;
    MUTATING("mkdir", path);
    if (mkdirat(state.backing, relative(path), mode) != 0) {
        return failure();
    }
    auto node = std::make_shared<Node>();
    node->folder = true;
    node->mode = mode & 07777;
    addLive(path, node);
    return 0;
}

int fsUnlink(const char* path) {
    LOCKED;
    MUTATING("unlink", path);
    if (unlinkat(state.backing, relative(path), 0) != 0) {
        return failure();
    }
    dropLive(path);
    return 0;
}

int fsRmdir(const char* path) {
    LOCKED;
    MUTATING("rmdir", path);
    if (unlinkat(state.backing, relative(path), AT_REMOVEDIR) != 0) {
        return failure();
    }
    dropLive(path);
    return 0;
}

int fsSymlink(const char* target, const char* path) {
    LOCKED;
    MUTATING("symlink", path);
    if (symlinkat(target, state.backing, relative(path)) != 0) {
        return failure();
    }
    auto node = std::make_shared<Node>();
    node->link = true;
    node->mode = 0777;
    node->bytes = target;
    addLive(path, node);
    return 0;
}

int fsRename(const char* from, const char* to, unsigned int flags) {
    LOCKED;
    MUTATING("rename", from);
    if (renameat2(state.backing, relative(from), state.backing, relative(to), flags) != 0) {
        return failure();
    }
    const auto [fromParent, fromName] = splitParent(from);
    const auto [toParent, toName] = splitParent(to);
    NodePtr source = find(fromParent);
    NodePtr target = find(toParent);
    if (source && target && source->live.count(fromName) != 0) {
        NodePtr moved = source->live[fromName];
        if (flags & RENAME_EXCHANGE) {
            source->live[fromName] = target->live[toName];
        } else {
            source->live.erase(fromName);
        }
        target->live[toName] = moved;
    }
    return 0;
}

int fsLink(const char*, const char*) {
    // Hard links would need one node under several names; the program makes none.
    return -EPERM;
}

int fsChmod(const char* path, mode_t mode, fuse_file_info* fi) {
    LOCKED;
    MUTATING("chmod", path);
    OpenFile* file = openFile(fi);
    if ((file ? fchmod(file->fd, mode) : fchmodat(state.backing, relative(path), mode, 0)) != 0) {
        return failure();
    }
    if (NodePtr node = file ? file->node : find(path)) {
        node->mode = mode & 07777;
    }
    return 0;
}

int fsChown(const char* path, uid_t uid, gid_t gid, fuse_file_info* fi) {
    LOCKED;
    MUTATING("chown", path);
    OpenFile* file = openFile(fi);
    const int result = file
                           ? fchown(file->fd, uid, gid)
                           : fchownat(state.backing, relative(path), uid, gid, AT_SYMLINK_NOFOLLOW);
    return result == 0 ? 0 : failure();
}

int fsTruncate(const char* path, off_t size, fuse_file_info* fi) {
    LOCKED;
    MUTATING("truncate", path);
    if (OpenFile* file = openFile(fi)) {
        return ftruncate(file->fd, size) == 0 ? 0 : failure();
    }
    const int fd = openat(state.backing, relative(path), O_WRONLY | O_CLOEXEC);
    const bool done = fd >= 0 && ftruncate(fd, size) == 0;
    const int error = errno;
    if (fd >= 0) {
        close(fd);
    }
    return done ? 0 : -error;
}

int fsUtimens(const char* path, const struct timespec times[2], fuse_file_info* fi) {
    LOCKED;
    MUTATING("utimens", path);
    if (OpenFile* file = openFile(fi)) {
        return futimens(file->fd, times) == 0 ? 0 : failure();
    }
    return utimensat(state.backing, relative(path), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0
                                                                                     : failure();
}

// The backing file needs neither the durability flags (the model keeps durability) nor
// O_DIRECT (the backing folder may be on tmpfs, which refuses it).
int backingFlags(int flags) {
    return (flags & ~(O_SYNC | O_DSYNC | O_DIRECT | O_CREAT | O_EXCL)) | O_CLOEXEC;
}

// A file opened for writing only is opened for reading too, so that its sync can read the
// bytes that become durable.
int openBacking(const char* path, int flags, mode_t mode) {
    if ((flags & O_ACCMODE) == O_WRONLY) {
        const int fd = openat(state.backing, relative(path), (flags & ~O_ACCMODE) | O_RDWR, mode);
        if (fd >= 0 || errno != EACCES) {
            return fd;
        }
    }
    return openat(state.backing, relative(path), flags, mode);
}

int remember(int fd, NodePtr node, fuse_file_info* fi) {
    OpenFile file;
    file.fd = fd;
    file.node = std::move(node);
    file.syncWrites = (fi->flags & O_DSYNC) != 0;
    file.append = (fi->flags & O_APPEND) != 0;
    fi->fh = state.nextHandle++;
    fi->direct_io = 1;
    state.files[fi->fh] = file;
    if (state.trace) {
        fprintf(stderr, "forgetful-fs: open flags %#o%s\n", fi->flags,
                file.syncWrites ? " (each write durable)" : "");
    }
    return 0;
}

int fsOpen(const char* path, fuse_file_info* fi) {
    LOCKED;
    if ((fi->flags & O_TRUNC) != 0) {
        MUTATING("open-truncate", path);
    } else {
        NOT_CUT;
    }
    NodePtr node = find(path);
    const int fd = openBacking(path, backingFlags(fi->flags), 0);
    if (fd < 0) {
        return failure();
    }
    if (!node) {
        node = std::make_shared<Node>();
    }
    return remember(fd, node, fi);
}

int fsCreate(const char* path, mode_t mode, fuse_file_info* fi) {
    LOCKED;
    MUTATING("create", path);
    const int fd =
        openBacking(path, backingFlags(fi->flags) | O_CREAT | (fi->flags & O_EXCL), mode);
    if (fd < 0) {
        return failure();
    }
    NodePtr node = find(path);
    if (!node) {
        node = std::make_shared<Node>();
        node->mode = mode & 07777;
        addLive(path, node);
    }
    return remember(fd, node, fi);
}

int fsRead(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    LOCKED;
    NOT_CUT;
    OpenFile* file = openFile(fi);
    if (file == nullptr) {
        return -EBADF;
    }
    const ssize_t n = pread(file->fd, buffer, size, offset);
    return n >= 0 ? static_cast<int>(n) : failure();
}

int fsWrite(const char* path, const char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    LOCKED;
    MUTATING("write", path);
    OpenFile* file = openFile(fi);
    if (file == nullptr) {
        return -EBADF;
    }
    // On an O_APPEND descriptor Linux appends whatever the offset.
    const ssize_t n = pwrite(file->fd, buffer, size, offset);
    if (n < 0) {
        return failure();
    }
    if (file->syncWrites) {
        struct stat info {};
        if (file->append && fstat(file->fd, &info) == 0) {
            offset = info.st_size - n;
        }
        std::string& bytes = file->node->bytes;
        const std::size_t end = static_cast<std::size_t>(offset) + static_cast<std::size_t>(n);
        if (bytes.size() < end) {
            bytes.resize(end, '\0');
        }
        bytes.replace(static_cast<std::size_t>(offset), static_cast<std::size_t>(n), buffer,
                      static_cast<std::size_t>(n));
    }
    return static_cast<int>(n);
}

int fsStatfs(const char*, struct statvfs* info) {
    LOCKED;
    NOT_CUT;
    return fstatvfs(state.backing, info) == 0 ? 0 : failure();
}

int fsRelease(const char*, fuse_file_info* fi) {
    LOCKED;
    if (OpenFile* file = openFile(fi)) {
        close(file->fd);
        state.files.erase(fi->fh);
    }
    return 0;
}

int fsFsync(const char* path, int, fuse_file_info* fi) {
    LOCKED;
    MUTATING("fsync", path);
    OpenFile* file = openFile(fi);
    if (file == nullptr) {
        return -EBADF;
    }
    std::string bytes;
    if (!readAll(file->fd, bytes)) {
        return failure();
    }
    struct stat info {};
    if (fstat(file->fd, &info) == 0) {
        file->node->mode = info.st_mode & 07777;
    }
    file->node->bytes = std::move(bytes);
    return 0;
}

int fsOpendir(const char* path, fuse_file_info* fi) {
    LOCKED;
    NOT_CUT;
    NodePtr node = find(path);
    if (!node || !node->folder) {
        return -ENOENT;
    }
    fi->fh = state.nextHandle++;
    state.folders[fi->fh] = node;
    return 0;
}

int fsReaddir(const char*, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info* fi,
              fuse_readdir_flags) {
    LOCKED;
    NOT_CUT;
    const auto found = state.folders.find(fi->fh);
    if (found == state.folders.end()) {
        return -EBADF;
    }
    fill(buffer, ".", nullptr, 0, fuse_fill_dir_flags{});
    fill(buffer, "..", nullptr, 0, fuse_fill_dir_flags{});
    for (const auto& [name, node] : found->second->live) {
        fill(buffer, name.c_str(), nullptr, 0, fuse_fill_dir_flags{});
    }
    return 0;
}

int fsReleasedir(const char*, fuse_file_info* fi) {
    LOCKED;
    state.folders.erase(fi->fh);
    return 0;
}

int fsFsyncdir(const char* path, int, fuse_file_info* fi) {
    LOCKED;
    MUTATING("fsyncdir", path);
    const auto found = state.folders.find(fi->fh);
    if (found == state.folders.end()) {
        return -EBADF;
    }
    found->second->durable = found->second->live;
    return 0;
}

int fsFallocate(const char* path, int mode, off_t offset, off_t length, fuse_file_info* fi) {
    LOCKED;
    MUTATING("fallocate", path);
    OpenFile* file = openFile(fi);
    if (file == nullptr) {
        return -EBADF;
    }
    return fallocate(file->fd, mode, offset, length) == 0 ? 0 : failure();
}

void answer(const std::string& line) {
    std::cout << line << std::endl;
}

// Commands on standard input, one a line; the end of input (the test is gone) unmounts.
void control() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    for (std::string line; std::getline(std::cin, line);) {
        std::lock_guard<std::mutex> guard(state.mutex);
        if (line == "count") {
            answer(std::to_string(state.operations));
        } else if (line == "cut") {
            cutPower();
            answer("ok");
        } else if (line.rfind("cut ", 0) == 0) {
            char* end = nullptr;
            const long count = std::strtol(line.c_str() + 4, &end, 10);
            if (count < 0 || end == line.c_str() + 4 || *end != '\0') {
                answer("bad count");
                continue;
            }
            state.cutAt = state.operations + count;
            answer("ok");
        } else if (line == "state") {
            answer(state.cut ? "cut" : "live");
        } else if (line == "trace") {
            state.trace = true;
            answer("ok");
        } else if (line == "exit") {
            break;
        } else {
            answer("unknown command");
        }
    }
    // The signal ends the loop as fusermount3 -u would; once the loop has ended, its default
    // action would only kill the process on its way out.
    std::lock_guard<std::mutex> guard(state.mutex);
    if (!state.ending) {
        kill(getpid(), SIGTERM);
    }
}

// Whether the mount is still there when the loop ends: not after fusermount3 -u, which a
// second unmount would only answer with an error message. Asked of the mount table, as a
// look at the mount point itself would wait for this very program.
bool stillMounted(const std::string& mountPoint) {
    std::string escaped;
    for (const char c : mountPoint) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            char octal[8];
            snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(c));
            escaped += octal;
        } else {
            escaped += c;
        }
    }
    std::ifstream table("/proc/self/mountinfo");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string field;
        for (int i = 0; i < 5 && fields >> field; ++i) {
        }
        if (field == escaped) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: forgetful-fs BACKING MOUNTPOINT [FUSE OPTIONS...]\n";
        return 2;
    }
    // The modes asked for were masked by the caller's umask already.
    umask(0);
    state.backing = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat rootInfo {};
    if (state.backing < 0 || fstat(state.backing, &rootInfo) != 0) {
        std::cerr << "forgetful-fs: cannot open " << argv[1] << ": " << strerror(errno) << "\n";
        return 1;
    }
    try {
        state.root = load(state.backing, ".", rootInfo);
    } catch (const std::exception& error) {
        std::cerr << "forgetful-fs: " << error.what() << "\n";
        return 1;
    }

    fuse_operations operations{};
    operations.init = fsInit;
    operations.getattr = fsGetattr;
    operations.readlink = fsReadlink;
    operations.mknod = fsMknod;
    operations.mkdir = fsMkdir;
    operations.unlink = fsUnlink;
    operations.rmdir = fsRmdir;
    operations.symlink = fsSymlink;
    operations.rename = fsRename;
    operations.link = fsLink;
    operations.chmod = fsChmod;
    operations.chown = fsChown;
    operations.truncate = fsTruncate;
    operations.utimens = fsUtimens;
    operations.open = fsOpen;
    operations.create = fsCreate;
    operations.read = fsRead;
    operations.write = fsWrite;
    operations.statfs = fsStatfs;
    operations.release = fsRelease;
    operations.fsync = fsFsync;
    operations.opendir = fsOpendir;
    operations.readdir = fsReaddir;
    operations.releasedir = fsReleasedir;
    operations.fsyncdir = fsFsyncdir;
    operations.fallocate = fsFallocate;

    // Locks are not implemented here, so the kernel keeps them for the mount itself: the
    // database engine's file lock works between the processes of this machine.
    std::vector<std::string> options = {argv[0], "-o", "default_permissions,fsname=forgetful"};
    for (int i = 3; i < argc; ++i) {
        options.emplace_back(argv[i]);
    }
    std::vector<char*> pointers;
    for (std::string& option : options) {
        pointers.push_back(option.data());
    }
    fuse_args args = FUSE_ARGS_INIT(static_cast<int>(pointers.size()), pointers.data());
    fuse* fs = fuse_new(&args, &operations, sizeof operations, nullptr);
    if (fs == nullptr) {
        return 1;
    }
    char resolved[PATH_MAX];
    const std::string mountPoint = realpath(argv[2], resolved) ? resolved : argv[2];
    if (fuse_mount(fs, argv[2]) != 0) {
        fuse_destroy(fs);
        return 1;
    }
    fuse_set_signal_handlers(fuse_get_session(fs));
    answer("ready");
    std::thread(control).detach();
    // One request at a time: the model needs no finer locking, and a seeded cut point
    // falls on the same operation each run.
    const int result = fuse_loop(fs);
    {
        // Unmounting is the power going off, unless it went before.
        std::lock_guard<std::mutex> guard(state.mutex);
        cutPower();
        state.ending = true;
    }
    fuse_remove_signal_handlers(fuse_get_session(fs));
    if (stillMounted(mountPoint)) {
        fuse_unmount(fs);
    } else {
        // Still called to free what the mount holds; its complaint that the mount is gone
        // already would only be noise.
        const int saved = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        dup2(null, STDERR_FILENO);
        fuse_unmount(fs);
        dup2(saved, STDERR_FILENO);
        close(null);
        close(saved);
    }
    fuse_destroy(fs);
    fuse_opt_free_args(&args);
    return result < 0 ? 1 : 0;
}
