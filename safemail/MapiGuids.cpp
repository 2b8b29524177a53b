// The MAPI interface identifiers the library asks for, defined once here.
#include <windows.h>
#include <objbase.h>
#include <initguid.h>

#define USES_IID_IMAPIProp
#define USES_IID_IMessage
#define USES_IID_IMAPIFolder
#define USES_IID_IMAPIContainer
#define USES_IID_IABContainer
#define USES_IID_IMAPISession
#define USES_IID_IMAPIStatus
#define USES_IID_IMAPITable
#define USES_IID_IMailUser
#define USES_IID_IAddrBook
#define USES_IID_IMsgStore
#include <mapiguid.h>
