/* capi_test_os.h - the few operating-system services the C interface's tests need, one implementation per system. */
#ifndef QZ_CAPI_TEST_OS_H
#define QZ_CAPI_TEST_OS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Creates a fresh directory below the system's temporary folder and writes its native,
 * link-free path into root (size bytes). Returns 1 on success, 0 on failure. */
int qzt_make_temp_root(char* root, size_t size);
/* Creates or removes one directory; 1 on success. */
int qzt_make_dir(const char* path);
int qzt_remove_dir(const char* path);
/* Sets name to value in the process environment, or unsets it when value is NULL. */
int qzt_set_env(const char* name, const char* value);
/* Changes the process's current directory; 1 on success. */
int qzt_change_dir(const char* path);
/* The separator of the system's own path spelling. */
char qzt_separator(void);
/* The product architecture that the platform's paths are named for. */
const char* qzt_product_architecture(void);

#ifdef __cplusplus
}
#endif

#endif
