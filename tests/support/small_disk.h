#pragma once

#include <QString>

// A disk of the case's own. The running test case is run again in a child process, inside the
// private user, mount, process and network namespaces of PrivateNetwork, where one folder is a
// file system mounted for it: a small tmpfs, so that writes there fail for want of space exactly
// as on a full disk, or a ramfs, which keeps no birth times. Nothing outside the child sees that
// folder's contents, and whatever the case starts there meets only on its loopback.
//
//     TEST(Area, Case)
//     {
//         if (SmallDisk::folder().isEmpty())
//             return SmallDisk::runThisTestOnIt(64);
//         ... the case itself, writing below SmallDisk::folder() ...
//     }
namespace SmallDisk {

// In the child: the folder that is the disk (and the loopback interface is up). Empty in an
// ordinary run.
QString folder();

// In an ordinary run: runs the current test case again in the child, with folder() a tmpfs of
// kib KiB, and fails with the child's output when the child fails. Skips the test when this
// machine gives no such namespaces.
void runThisTestOnIt(int kib);

// The same with folder() a ramfs: a file there has no birth time, so its creation time is its
// last modification, which can be set in place.
void runThisTestOnRamfs();

// In the child: takes up whatever space folder() has left, so that the next write there fails.
void fill();
// Gives that space back.
void release();

} // namespace SmallDisk
