/* The host headers are plain C: every one of them compiles as C99 on its own
 * and together with the others. */
#include <lwenvel.h>
#include <lwgeneric.h>
#include <lwhandler.h>
#include <lwhost.h>
#include <lwmaster.h>
#include <lwmodule.h>
#include <lwmonitor.h>
#include <lwrender.h>
#include <lwserver.h>
#include <lwtypes.h>

/* One use of each table, so that a header that declares a table wrongly
 * for C fails here. */
int sdk_headers_as_c(const LWEnvelopeFuncs *envelopes, const LWChannelInfo *channels, const LWItemInfo *items,
                     const LWInterfaceInfo *ui, const LWLMonFuncs *monitor, const LWMessageFuncs *messages,
                     const LWMasterAccess *access, const LWMasterHandler *handler,
                     const LWLayoutGeneric *generic, const ModuleDescriptor *descriptor) {
  LWKeyTag tag = LWKEY_VALUE;
  return (envelopes->keyGet != 0) + (channels->nextChannel != 0) + (items->chanGroup != 0) +
         (ui->selItems != 0) + (monitor->step != 0) + (messages->error != 0) + (access->evaluate != 0) +
         (handler->inst != 0) + (generic->evaluate != 0) + (descriptor->serverDefs != 0) + (int)tag +
         AFUNC_OK + GFUSE_TRANSIENT + MOD_SYSVER;
}
