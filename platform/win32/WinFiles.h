// Win32 file access on POSIX: file handles, folders, attributes and times,
// searches, free space, the ":AFP_AfpInfo" stream beside a file (kept as an
// extended attribute), shell links (kept as symbolic links) and file security.
// Paths are Linux paths in UTF-8; '/' separates their parts.
#pragma once

#include <cstdint>

#include "platform/win32/WinTypes.h"

using HANDLE = void*;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(intptr_t(-1));

// Access rights, sharing, dispositions and flags of CreateFileA.
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD FILE_SHARE_DELETE = 0x00000004;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_FLAG_RANDOM_ACCESS = 0x10000000;

// File attributes. A file without the owner's write permission is read-only,
// and a name that begins with '.' is hidden.
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
// A file made to take another's place (PutFileInPlaceA): CreateFileA makes it
// readable by its owner alone until it is in place, with its final permission.
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x00000100;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;  // a symbolic link
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// SetFilePointer's starting points and its failure answer.
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

// Error words of the file calls (besides those of WinTypes.h).
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_NOT_SAME_DEVICE = 17;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_HANDLE_EOF = 38;
constexpr DWORD ERROR_HANDLE_DISK_FULL = 39;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_FILE_TOO_LARGE = 223;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_CANT_RESOLVE_FILENAME = 1921;

// 100-nanosecond intervals since 1 January 1601, universal time.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;  // 0 Sunday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

constexpr DWORD MAX_PATH = 260;

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  char cFileName[MAX_PATH];
  char cAlternateFileName[14];
};

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };

struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};

// ---- file handles ----

// Opens or creates a file. Sharing is enforced between the handles of this
// process: an open whose access another handle's sharing refuses, or whose
// sharing refuses another handle's access, fails with ERROR_SHARING_VIOLATION;
// an open without read or write access takes part in no such check. Between
// processes, a handle that writes without sharing writing (and a
// FILE_ATTRIBUTE_TEMPORARY file while it is open) holds its file: such an
// open of a file another process holds so fails with ERROR_SHARING_VIOLATION,
// as does ReplaceFileA of it. A file such a handle makes is held from before
// any other process can take it for a file no one holds
// (DeleteUnheldFilesA): one that such a process takes away in between
// answers ERROR_FILE_EXISTS, as a name taken meanwhile does. A
// read-only file refuses write access to everyone. OPEN_ALWAYS and
// CREATE_ALWAYS on an existing file succeed with ERROR_ALREADY_EXISTS.
// A name ending in ":AFP_AfpInfo" names that stream beside the file before it;
// a volume without extended attributes has no such streams and answers
// ERROR_INVALID_NAME. The security and template arguments are ignored.
QV_PLATFORM_API HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security,
                                   DWORD disposition, DWORD flags, HANDLE templateFile);
// A read at the end of the file succeeds with 0 bytes.
QV_PLATFORM_API BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read,
                              void* overlapped);
// Writes all or fails: a full disk, or a file at the process's size limit,
// answers FALSE with ERROR_HANDLE_DISK_FULL and *written the bytes that did
// reach the file.
QV_PLATFORM_API BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written,
                               void* overlapped);
// Positions are 64-bit. With a high part the distance is the 64-bit number
// made of both parts and the answer is the low part of the new position
// (the high part written back); without one the distance is the signed
// 32-bit low part, and a new position that 32 bits cannot show is refused
// (ERROR_INVALID_PARAMETER) rather than wrapped.
QV_PLATFORM_API DWORD SetFilePointer(HANDLE file, LONG distanceLow, LONG* distanceHigh,
                                     DWORD method);
// Without a high part a size that 32 bits cannot show answers
// INVALID_FILE_SIZE with ERROR_FILE_TOO_LARGE, never a wrapped size.
QV_PLATFORM_API DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
// The end of the file moves to the current position.
QV_PLATFORM_API BOOL SetEndOfFile(HANDLE file);
QV_PLATFORM_API BOOL FlushFileBuffers(HANDLE file);
QV_PLATFORM_API BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                                 FILETIME* lastWrite);
// A copy (CreateCopyBesideA) stays held until it is put in place or deleted.
QV_PLATFORM_API BOOL CloseHandle(HANDLE object);

// The identity of the file behind a handle: two handles name the same file
// when volume and index agree (the device and the inode).
struct BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
};
QV_PLATFORM_API BOOL GetFileInformationByHandle(HANDLE file,
                                                BY_HANDLE_FILE_INFORMATION* information);

// ---- files and folders by path ----

// A file that a handle holds without FILE_SHARE_DELETE can be neither deleted
// nor moved (ERROR_SHARING_VIOLATION). A folder is no file (ERROR_ACCESS_DENIED).
// A copy (CreateCopyBesideA) is let go once deleted.
QV_PLATFORM_API BOOL DeleteFileA(const char* name);
// Fails with ERROR_ALREADY_EXISTS when the new name exists.
QV_PLATFORM_API BOOL MoveFileA(const char* existingName, const char* newName);
// MoveFileExA's flags: a file at the new name is replaced in the same step
// (a folder there never is); the move is on the disk before the call returns
// (the folders of both names are flushed).
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;
QV_PLATFORM_API BOOL MoveFileExA(const char* existingName, const char* newName, DWORD flags);
// ReplaceFileA puts the replacement at the replaced file's name in one step:
// the name holds the old file or the new one at every moment. The
// replacement takes the replaced file's permission bits and, where the
// process may give it, its group. A replaced file that is read-only (or that
// the process may not write) is refused with ERROR_ACCESS_DENIED, one that a
// handle holds without FILE_SHARE_DELETE with ERROR_SHARING_VIOLATION, a
// missing one with ERROR_FILE_NOT_FOUND; nothing changes then. No backup
// name is made (one given is refused, ERROR_INVALID_PARAMETER).
constexpr DWORD REPLACEFILE_WRITE_THROUGH = 0x1;
QV_PLATFORM_API BOOL ReplaceFileA(const char* replacedName, const char* replacementName,
                                  const char* backupName, DWORD flags, void* exclude,
                                  void* reserved);
// The one way a file written whole beside its place takes that place, for
// the document saves and the Toolbox's resource files: over the file there
// (ReplaceFileA), or, when the name is free, under it with the ordinary
// permission of a new file (MoveFileExA); either on the disk before the
// call returns. A copy (CreateCopyBesideA) is let go once in place.
QV_PLATFORM_API BOOL PutFileInPlaceA(const char* writtenName, const char* placeName);
// A new file beside `placeName` for a job that writes it whole there (a
// save, a print), under the hidden name "." + its name + `tag` + six random
// letters or digits, written into `copyName`: open for reading and writing
// (its owner's alone, as a FILE_ATTRIBUTE_TEMPORARY file), and held against
// every other process from before any can see it unheld until it is put in
// place (PutFileInPlaceA) or deleted (DeleteFileA), also after its handle is
// closed. First removes the copies of that name that jobs killed midway left
// there and no process holds (DeleteUnheldFilesA). The folder is read for
// them only when it changed since this process's last job on that place
// ended: at its first job on it, and after any other entry was made,
// removed or renamed there meanwhile. INVALID_HANDLE_VALUE when no copy can
// be made (ERROR_INSUFFICIENT_BUFFER when its name does not fit).
QV_PLATFORM_API HANDLE CreateCopyBesideA(const char* placeName, const char* tag, char* copyName,
                                         DWORD copyNameLength);
// Gives the open file the protection it is to have at `placeName`: that
// file's permission bits and, where the process may give it, its group (else
// group bits no wider than everyone's); the ordinary permission of a new file
// when the name is free. Called before the file's flush, so that the flushed
// file is on the disk with its protection.
QV_PLATFORM_API BOOL TakeProtectionOfA(HANDLE file, const char* placeName);
// The path a save writes to for `name`: the target of a symbolic link there,
// followed through links to links up to the file (or the free name) at the
// end of the chain; the name itself when it is no link. The length written or
// the size needed, as GetCurrentDirectoryA answers; 0 with
// ERROR_CANT_RESOLVE_FILENAME for a chain that does not end.
QV_PLATFORM_API DWORD GetLinkTargetPathA(const char* name, DWORD bufferLength, char* buffer);
// Deletes the files in `folder` whose names begin with `namePrefix` and that
// no handle of any process holds for writing without sharing it (the copies
// a save writes are held so while they are written): what saves killed
// midway left behind. A name is checked under the hold it takes: a file that
// another one replaced at that name meanwhile stays.
QV_PLATFORM_API BOOL DeleteUnheldFilesA(const char* folder, const char* namePrefix);
QV_PLATFORM_API BOOL CreateDirectoryA(const char* name, void* security);
QV_PLATFORM_API BOOL RemoveDirectoryA(const char* name);
// Symbolic links are followed and add FILE_ATTRIBUTE_REPARSE_POINT; a link
// whose target cannot be reached has that attribute alone.
QV_PLATFORM_API DWORD GetFileAttributesA(const char* name);
// The same for a path given in UTF-16, without any length limit.
QV_PLATFORM_API DWORD GetFileAttributesW(const char16_t* name);
QV_PLATFORM_API BOOL GetFileAttributesExW(const char16_t* name, GET_FILEEX_INFO_LEVELS level,
                                          void* information);
QV_PLATFORM_API BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);

// Looks for `fileName` (with `extension` added when the name has none) in the
// folder `path` (the current folder when null); an absolute name is looked
// for as it stands. Answers the length of the found path, made absolute and
// free of "." and ".." parts, or, when the buffer is too small, the size it
// needs; 0 (ERROR_FILE_NOT_FOUND) when nothing is there.
QV_PLATFORM_API DWORD SearchPathA(const char* path, const char* fileName, const char* extension,
                                  DWORD bufferLength, char* buffer, char** filePart);
// The length written, or the size needed (with the terminator) when the
// buffer is too small; nothing is written then.
QV_PLATFORM_API DWORD GetCurrentDirectoryA(DWORD bufferLength, char* buffer);
QV_PLATFORM_API BOOL SetCurrentDirectoryA(const char* path);

// Lists the entries of a folder that match the last part of the pattern
// ('*' and '?', letters in either case; "*.*" matches every name), with "."
// and ".." first and the others in byte order of their names.
QV_PLATFORM_API HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
// FALSE with ERROR_NO_MORE_FILES after the last entry.
QV_PLATFORM_API BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data);
QV_PLATFORM_API BOOL FindClose(HANDLE find);

// The free space of the volume that holds `rootPath` (any path on it; a path
// that does not exist yet is taken by its nearest existing folder), in
// clusters of sectors of 512 bytes; counts beyond 32 bits are held at the top.
QV_PLATFORM_API BOOL GetDiskFreeSpaceA(const char* rootPath, DWORD* sectorsPerCluster,
                                       DWORD* bytesPerSector, DWORD* freeClusters,
                                       DWORD* totalClusters);

// ---- shell links: symbolic links ----

// Makes `linkPath` a link to `targetPath` (ERROR_FILE_EXISTS when the name is taken).
QV_PLATFORM_API BOOL ShellLinkCreateA(const char* linkPath, const char* targetPath);
// Loads and resolves the link `linkPath`: its target (made absolute against
// the link's folder) into `target`, and the target's find data. FALSE when
// the path is no link (ERROR_INVALID_PARAMETER), when its target does not
// exist (ERROR_FILE_NOT_FOUND) or does not fit (ERROR_INSUFFICIENT_BUFFER).
QV_PLATFORM_API BOOL ShellLinkGetPathA(const char* linkPath, char* target, DWORD targetSize,
                                       WIN32_FIND_DATAA* data);

// ---- file security ----

constexpr DWORD SECURITY_DESCRIPTOR_REVISION = 1;
constexpr DWORD DACL_SECURITY_INFORMATION = 4;

struct SECURITY_DESCRIPTOR {
  BYTE revision;
  BYTE reserved;
  WORD control;
  void* owner;
  void* group;
  void* sacl;
  void* dacl;
};

QV_PLATFORM_API BOOL InitializeSecurityDescriptor(SECURITY_DESCRIPTOR* descriptor, DWORD revision);
QV_PLATFORM_API BOOL SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR* descriptor, BOOL present,
                                               void* dacl, BOOL defaulted);
// Only the open descriptor (a present, null access list) is known: on this
// platform it gives the owner read and write and the group read, narrowed by
// the process's umask, and never execution (a folder keeps search for those
// who may read it). Any other descriptor: ERROR_NOT_SUPPORTED.
QV_PLATFORM_API BOOL SetFileSecurityA(const char* name, DWORD information,
                                      const SECURITY_DESCRIPTOR* descriptor);

// For the platform library's own code (the Toolbox file calls), not exported:
// a file handle over a duplicate of an open descriptor, with the access that
// the descriptor allows and full sharing; INVALID_HANDLE_VALUE when the
// number names no open file.
HANDLE WinFileFromDescriptor(int descriptor);
// TakeProtectionOfA for an open descriptor.
BOOL TakeProtectionOfDescriptor(int descriptor, const char* placeName);
