// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FailureReason.h"

#include "document/TextBox.h"

#include <new>

namespace kalvo {

QString failureReason(const std::exception_ptr& error) {
    if (!error)
        return QStringLiteral("an unexpected error occurred");
    try {
        std::rethrow_exception(error);
    } catch (const DocumentTooLarge& tooLarge) {
        return QStringLiteral("the result would be larger than %1 bytes").arg(tooLarge.limit());
    } catch (const std::bad_alloc&) {
        return QStringLiteral("there is not enough memory");
    } catch (const std::exception& other) {
        return QStringLiteral("an unexpected error occurred (%1)")
            .arg(QString::fromLocal8Bit(other.what()));
    } catch (...) {
        return QStringLiteral("an unexpected error occurred");
    }
}

} // namespace kalvo
