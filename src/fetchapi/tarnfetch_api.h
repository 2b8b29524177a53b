/* The fetch library's C interface, as the add-in calls it. Texts are NUL-terminated 8-bit strings in the
   system's code page; results are 32-bit signed integers, 0 exactly when the request succeeded. */
#ifndef TARNFETCH_API_H
#define TARNFETCH_API_H

#include <stdint.h>

#ifndef TW_CALL
#if defined(_WIN32)
#define TW_CALL __stdcall
#else
#define TW_CALL
#endif
#endif

/* Non-zero results: a final HTTP status outside 200-299 is returned as it is (404, 500 ...);
   everything else is one of these, all below 100. */
#define TF_OK 0
#define TF_BAD_ARGUMENT 1
#define TF_CANNOT_RESOLVE 2
#define TF_CANNOT_CONNECT 3
#define TF_TIMED_OUT 4
#define TF_TOO_MANY_REDIRECTS 5
#define TF_TRANSFER_FAILED 6
/* Refused before it was sent: a redirect to another host or from https to http, or (where the
   environment asks for it) an address off this machine. */
#define TF_REFUSED_HOST 7
#define TF_INTERNAL_ERROR 8

/* Redirects followed for one request at most; only to the same host, and never from https to http. */
#define TF_MAX_REDIRECTS 5

#ifdef __cplusplus
extern "C" {
#endif

/* Both write at most bufferSize bytes of the answer's body into buffer, followed by a NUL only when
   the body is shorter than the buffer. An empty proxy ("host:port") means a direct connection, empty
   proxy credentials ("user:password") mean none. Time-outs are in seconds; 0 or less takes the
   defaults of 10 (connection) and 300 (total). */
typedef int32_t(TW_CALL* tw_sendRequest_fn)(char* body, char* url, int32_t connectTimeout, int32_t timeout,
                                             char* buffer, int32_t bufferSize, char* clientName, char* proxy,
                                             char* proxyCredentials);
typedef int32_t(TW_CALL* tw_sendGetRequest_fn)(char* url, int32_t connectTimeout, int32_t timeout, char* buffer,
                                                int32_t bufferSize, char* clientName, char* proxy,
                                                char* proxyCredentials);

#ifdef __cplusplus
}
#endif

#endif
