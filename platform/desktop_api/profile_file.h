// Profile files: the initialization files of sections ("[name]") and key lines ("key=value")
// that settings are kept in, read and written one key at a time.
//
// Lookup. Section and key names are compared without regard to letter case and without the
// spaces around them; the first section of a name and the first key of a name in it count. Lines
// that start with ';' and lines that are neither a section nor a key line are ignored, and kept
// as they are when the file is written.
//
// Text. A profile file is UTF-8 (the system code page here), with "\n" or "\r\n" line ends, and
// may start with a byte order mark, which a write keeps. A file that cannot be read (a folder, no
// permission) or is no text (it holds a NUL byte or bytes that are not UTF-8) is treated as missing
// when read, and is never replaced by a write, so that a file this code does not understand is not
// lost.
//
// Where this differs from the original platform: values are returned as stored, without removing
// spaces or quotes around them; lengths count UTF-16 characters, not bytes; a write replaces the
// whole file at once (write a copy, then rename), so a reader sees the old or the new file, never
// half of one.
//
// Thread safety: none needed (no state); two processes writing one file at the same time may
// lose one of the writes, as on the original platform.
#ifndef VANTREL_PLATFORM_DESKTOP_API_PROFILE_FILE_H_
#define VANTREL_PLATFORM_DESKTOP_API_PROFILE_FILE_H_

#include <QString>

namespace desktop_api {

// The value of `key` in `section` of `file_name`, or `default_value` when the file, the section
// or the key is missing (or the file is unreadable, see above). The result is cut to
// buffer_size - 1 characters, as a buffer of buffer_size characters with its closing NUL holds:
// a 255-character buffer returns at most 254. A buffer_size below 1 gives "". Never throws.
QString GetPrivateProfileString(const QString& section, const QString& key,
                                const QString& default_value, int buffer_size,
                                const QString& file_name) noexcept;

// Sets `key` of `section` in `file_name` to `value`: replaces the key's line when the key exists,
// else adds it at the end of the section, adding the section at the end of the file (and
// creating the file) when missing. The folder must exist. Returns false, and leaves the file as
// it was, when the file cannot be written, when an existing file is unreadable, or when a name or
// the value cannot be stored in one line (a line break or a NUL anywhere, an empty name, a
// section name with ']', a key name with '=' or starting with '[' or ';'). Never throws.
bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& file_name) noexcept;

}  // namespace desktop_api

#endif  // VANTREL_PLATFORM_DESKTOP_API_PROFILE_FILE_H_
