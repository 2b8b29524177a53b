/* The scoring engine library's C interface, as the add-in calls it. Texts are NUL-terminated
   8-bit strings in modifiable buffers; handles and results are 32-bit signed integers. */
#ifndef TARNENGINE_API_H
#define TARNENGINE_API_H

#include <stdint.h>

#if defined(_WIN32)
#define TW_CALL __stdcall
#else
#define TW_CALL
#endif

/* A read-only option (TW_getOption after TW_initialize): what the engine found when it loaded its
   stores. One line per event, ended by "\n", fields split by tabs:
     "recovered" TAB store TAB path              the store was damaged or missing and read from its backup
     "keptaside" TAB store TAB path TAB newpath  a damaged file was moved to newpath (empty: it could not be)
   store is "words" or "addresses". Empty when all was well. */
#define TW_STORE_RECOVERY_OPTION "store_recovery"

/* A read-only option: the entries of "blocked_ip_list", "approved_ip_list" and "ignored_ip_list"
   that the engine could not read and skipped, one per line as list name TAB entry "\n". Empty when
   every entry was read. */
#define TW_IP_LIST_ERRORS_OPTION "ip_list_errors"

/* TW_explainLastScore(engine, buffer, size): the clues that decided this engine's last TW_score, one
   per line ended by "\n", strongest first, fields split by tabs:
     "token" TAB where:token TAB probability TAB "user store" TAB spam count TAB ham count
     "relay" TAB address TAB probability TAB "blocked_ip_list" or "approved_ip_list"
   where:token tells the token's place and text ("subject:cheap", "from-address:a@b.example",
   "body:offer"); probability is the spam probability with three decimals ("0.987"); the counts are
   the word store's (one per trained message, or its weight with "full_training_weight"). Up to ten
   tokens, those farthest from 0.5 among the ones that counted; a relay verdict gives its one line.
   Empty before the first score and when no word counted. *size is the buffer's size in and the
   whole text's length plus one out; when that is more than the buffer held the answer is 2 and the
   buffer keeps only the whole lines that fit: ask again with *size bytes. Engines older than this
   function do not export it. */
#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t(TW_CALL* TW_constructor_fn)(char* clientName, char* directory);
typedef int32_t(TW_CALL* TW_setOption_fn)(int32_t engine, char* name, char* value);
typedef int32_t(TW_CALL* TW_initialize_fn)(int32_t engine);
typedef int32_t(TW_CALL* TW_getOption_fn)(int32_t engine, char* name, char* buffer, int32_t* size);
typedef int32_t(TW_CALL* TW_score_fn)(int32_t engine, char* headers, char* body, char* senderAddress,
                                      int32_t flags, char* senderName, int32_t* score);
typedef int32_t(TW_CALL* TW_explainLastScore_fn)(int32_t engine, char* buffer, int32_t* size);
typedef int32_t(TW_CALL* TW_addMessage_fn)(int32_t engine, char* headers, char* body, int32_t offset, int32_t reserved);
typedef int32_t(TW_CALL* TW_getMessage_fn)(int32_t engine, char* headers, char* body, int32_t reserved);
typedef int32_t(TW_CALL* TW_getMessageInfo_fn)(int32_t message, char* name, char* buffer, int32_t* size);
typedef int32_t(TW_CALL* TW_delMessage_fn)(int32_t message);
typedef int32_t(TW_CALL* TW_bounce_fn)(int32_t engine, char* recipient, char* headers);
typedef int32_t(TW_CALL* TW_addReportSender_fn)(int32_t engine, int32_t action, char* address, char* headers, char* body);
typedef int32_t(TW_CALL* TW_reportSenders_fn)(int32_t engine);
typedef int32_t(TW_CALL* TW_addSpamAddr_fn)(int32_t engine, char* address, int32_t number, int16_t add);
typedef int32_t(TW_CALL* TW_getSpamAddrFrom_fn)(int32_t engine, char* address, int32_t* result);
typedef int32_t(TW_CALL* TW_readOldAddrSettings_fn)(int32_t engine, char* fileName);
typedef int32_t(TW_CALL* TW_destructor_fn)(int32_t engine);

#ifdef __cplusplus
}
#endif

#endif
