#pragma once

#include <QString>

#include <functional>

// A full disk, for real: work(dir, text) runs in a child process that sees
// at dir a filesystem of its own, `bytes` in size (a tmpfs mounted in a mount
// namespace private to the child, so that nothing else sees it and nothing of
// it outlives the child). The child's exit code is work's result (0 to 255)
// and its text what work left in `text`. Creating the namespace needs root
// or unprivileged user namespaces; a child that cannot mount exits 99 with
// the reason as its text.
struct SmallDiskRun {
    int code = -1;
    QString text;
};
SmallDiskRun onSmallDisk(qint64 bytes, const std::function<int(const QString& dir, QString& text)>& work);

// Fills the filesystem that holds dir with one file until it has no room
// left; true when it is full.
bool fillDisk(const QString& dir);
