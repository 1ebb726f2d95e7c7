#pragma once
// The web addresses and the mail address that Orvanta's links lead to, defined once.
// Every page belongs to the product web site; a link is the site's base address plus a path.

#include <QString>

// Scheme and host of the product web site, without a trailing "/".
inline constexpr char kProductSiteBase[] = "https://www.tamsorel.com";
// Recipient of the "Support e-mail" links.
inline constexpr char kSupportMailAddress[] = "support@tamsorel.com";

// Paths on the product web site.
inline constexpr char kPathProgramHelp[] = "/orvanta.php#help";
inline constexpr char kPathFaq[] = "/orvanta.php#faq";
inline constexpr char kPathHomePage[] = "/orvanta.php";
inline constexpr char kPathMoreProducts[] = "/tamsorel-software-products.php";
inline constexpr char kPathNewsletter[] = "/product-newsletter-register.php";
inline constexpr char kPathAffiliate[] = "/affiliate.php";

// The full address of a path on the product web site.
inline QString ProductSiteLink(const char *path) {
    return QString::fromLatin1(kProductSiteBase) + QString::fromLatin1(path);
}
