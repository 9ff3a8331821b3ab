/*
 * kelvane: the tools library that ships with Stallwatch.
 *
 * A plain C interface, loaded at run time by file name (libkelvane.so here,
 * kelvane.dll on Windows) and called by export name. On 32-bit Windows every
 * export uses the standard calling convention.
 *
 * Text is a zero-ended byte string in code page 936 (GBK). A null pointer given
 * as a text argument is the empty text. Integers are 32-bit signed. Every text
 * argument is copied before the work starts, so a caller may pass an export's
 * previous result back into it.
 *
 * Ownership of returned texts: a text an export returns belongs to the library.
 * It stays valid until the same export is called again or the library is
 * unloaded; the caller reads or copies it and never frees it. Each export has
 * its own result slot, so calling one export never invalidates another's
 * result. Exports keep library-wide state and take no lock: do not run one
 * export on two threads at once, nor search_url and search_url_api at once.
 * No export fails: every one returns normally on every input.
 */
#ifndef KELVANE_H
#define KELVANE_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(KELVANE_BUILDING)
#define KELVANE_API __declspec(dllexport)
#else
#define KELVANE_API __declspec(dllimport)
#endif
#if !defined(_WIN64)
#define KELVANE_CALL __stdcall
#else
#define KELVANE_CALL
#endif
#else
#define KELVANE_API __attribute__((visibility("default")))
#define KELVANE_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * The address of a page of the marketplace's item search for keyword.
 * sort: 0 or 1 default order, 2 popularity, 3 sales, 4 credit; page counts from
 * 0 (44 results a page). The keyword is sent as percent-encoded UTF-8. unused
 * is ignored. Any other sort builds no address and returns the last address
 * built by search_url or search_url_api (empty before the first).
 * Returns a text valid until the next call of search_url.
 */
KELVANE_API const char* KELVANE_CALL search_url(const char* keyword, int32_t sort, int32_t page, const char* unused);

/*
 * The same for the item search's data address; the keyword is sent as its
 * percent-encoded GBK bytes. Returns a text valid until the next call of
 * search_url_api.
 */
KELVANE_API const char* KELVANE_CALL search_url_api(const char* keyword, int32_t sort, int32_t page,
                                                    const char* unused);

/*
 * The marketplace's search-box suggestions for keyword: the service's reply,
 * converted to GBK, or the empty text when the request fails. Blocks for the
 * request. unused is ignored. Returns a text valid until the next call of
 * tb_search_button_key.
 */
KELVANE_API const char* KELVANE_CALL tb_search_button_key(const char* keyword, const char* unused);

/*
 * Opens the lexicon manager, a small window that queries, adds and deletes the
 * words of the word list folder/googledict.txt (one word a line, CR LF, GBK) and
 * backs it up to folder/bak_googledict.txt. An empty folder stands for the
 * folder "db" beside the running program. The window opens on the calling
 * thread, not modal, and needs that thread's Qt event loop; a second call while
 * it is open brings it forward on the new folder's list.
 * A process without a QApplication, or a call from another thread than the
 * QApplication's, opens nothing: the folder is kept and returned all the same.
 * Returns the folder text given, valid until the next call of Lexicon.
 * As the window and its workers run the library's code, the library stays
 * loaded until the process ends, whatever dlclose is called.
 */
KELVANE_API const char* KELVANE_CALL Lexicon(const char* folder);

/*
 * The spreadsheet column name of column number column: 1 "A", 26 "Z", 27 "AA",
 * 703 "AAA"; the empty text below 1. Returns a text valid until the next call
 * of Getzimu.
 */
KELVANE_API const char* KELVANE_CALL Getzimu(int32_t column);

/*
 * entry with each of the separators "：" "-" "|" "_" "—" "，" "," "/" "#" "@" "&"
 * replaced by ":" (whole characters only). Returns a text valid until the next
 * call of function_IP_ScreenIp.
 */
KELVANE_API const char* KELVANE_CALL function_IP_ScreenIp(const char* entry);

/*
 * Tests one entry (host, or host:port with up to two further fields, any of the
 * separators above between them) by one ICMP echo to the host or host:port text,
 * waiting at most timeoutMs. Returns the round-trip time in milliseconds, -1
 * when the echo failed, or 0 when the entry was not tested (no fields or more
 * than four).
 */
KELVANE_API int32_t KELVANE_CALL function_IP_checkIp(const char* entry, int32_t timeoutMs);

/*
 * Tests every line of entries (lines separated by CR LF), one after another with
 * a time-out of 5 seconds each, and reports one line per entry: the screened
 * entry, "  检查结果：" and the result of function_IP_checkIp, lines joined by
 * CR LF. Returns a text valid until the next call of function_IP_checkIpAll.
 */
KELVANE_API const char* KELVANE_CALL function_IP_checkIpAll(const char* entries);

#ifdef __cplusplus
}
#endif

#endif /* KELVANE_H */
