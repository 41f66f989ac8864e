/* The process's time zone set through the TZ variable for a test's duration,
 * and put back afterwards. Exports ZoneSetting. */
#ifndef ZAMO_TESTS_EXPORT_ZONE_SETTING_H
#define ZAMO_TESTS_EXPORT_ZONE_SETTING_H

#include <cstdlib>
#include <ctime>
#include <string>

namespace export_test {

/* Sets the process's time zone through TZ for the lifetime of the object. */
class ZoneSetting {
public:
    explicit ZoneSetting(const char* zone) {
        const char* old = std::getenv("TZ");
        hadOld_ = old != nullptr;
        if (hadOld_) old_ = old;
        Set(zone);
    }
    ~ZoneSetting() {
        if (hadOld_) setenv("TZ", old_.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    static void Set(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }

private:
    bool hadOld_ = false;
    std::string old_;
};

}  // namespace export_test

#endif
