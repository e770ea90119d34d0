#pragma once
// Every GUID the ASF code knows, in one table.

#include "guid.h"

namespace asf::guids {

// Top-level objects
constexpr Guid kHeader = Guid::FromText("75B22630-668E-11CF-A6D9-00AA0062CE6C");
constexpr Guid kData = Guid::FromText("75B22636-668E-11CF-A6D9-00AA0062CE6C");
constexpr Guid kSimpleIndex = Guid::FromText("33000890-E5B1-11CF-89F4-00A0C90349CB");
constexpr Guid kIndex = Guid::FromText("D6E229D3-35DA-11D1-9034-00A0C90349BE");

// Header objects
constexpr Guid kFileProperties = Guid::FromText("8CABDCA1-A947-11CF-8EE4-00C00C205365");
constexpr Guid kStreamProperties = Guid::FromText("B7DC0791-A9B7-11CF-8EE6-00C00C205365");
constexpr Guid kHeaderExtension = Guid::FromText("5FBF03B5-A92E-11CF-8EE3-00C00C205365");
constexpr Guid kCodecList = Guid::FromText("86D15240-311D-11D0-A3A4-00A0C90348F6");
constexpr Guid kScriptCommand = Guid::FromText("1EFB1A30-0B62-11D0-A39B-00A0C90348F6");
constexpr Guid kMarker = Guid::FromText("F487CD01-A951-11CF-8EE6-00C00C205365");
constexpr Guid kContentDescription = Guid::FromText("75B22633-668E-11CF-A6D9-00AA0062CE6C");
constexpr Guid kExtendedContentDescription = Guid::FromText("D2D0A440-E307-11D2-97F0-00A0C95EA850");
constexpr Guid kStreamBitrateProperties = Guid::FromText("7BF875CE-468D-11D1-8D82-006097C9A2B2");
constexpr Guid kContentEncryption = Guid::FromText("2211B3FB-BD23-11D2-B4B7-00A0C955FC6E");
constexpr Guid kExtendedContentEncryption = Guid::FromText("298AE614-2622-4C17-B935-DAE07EE9289C");
constexpr Guid kPadding = Guid::FromText("1806D474-CADF-4509-A4BA-9AABCB96AAE8");

// Header Extension objects
constexpr Guid kExtendedStreamProperties = Guid::FromText("14E6A5CB-C672-4332-8399-A96952065B5A");
constexpr Guid kLanguageList = Guid::FromText("7C4346A9-EFE0-4BFC-B229-393EDE415C85");
constexpr Guid kMetadata = Guid::FromText("C5F8CBEA-5BAF-4877-8467-AA8C44FA4CCA");
constexpr Guid kMetadataLibrary = Guid::FromText("44231C94-9498-49D1-A141-1D134E457054");
constexpr Guid kAdvancedContentEncryption = Guid::FromText("43058533-6981-49E6-9B74-AD12CB86D58C");

// Stream types and error correction
constexpr Guid kAudioMedia = Guid::FromText("F8699E40-5B4D-11CF-A8FD-00805F5C442B");
constexpr Guid kVideoMedia = Guid::FromText("BC19EFC0-5B4D-11CF-A8FD-00805F5C442B");
constexpr Guid kCommandMedia = Guid::FromText("59DACFC0-59E6-11D0-A3AC-00A0C90348F6");
constexpr Guid kNoErrorCorrection = Guid::FromText("20FB5700-5B55-11CF-A8FD-00805F5C442B");
constexpr Guid kAudioSpread = Guid::FromText("BFC3CD50-618F-11CF-8BB2-00AA00B4E220");

// Reserved fields
constexpr Guid kReserved1 = Guid::FromText("ABD3D211-A9BA-11CF-8EE6-00C00C205365");
constexpr Guid kReserved2 = Guid::FromText("86D15241-311D-11D0-A3A4-00A0C90348F6");
constexpr Guid kReserved3 = Guid::FromText("4B1ACBE3-100B-11D0-A39B-00A0C90348F6");
constexpr Guid kReserved4 = Guid::FromText("4CFEDB20-75F6-11CF-9C0F-00A0C90349CB");

// Payload extension systems
constexpr Guid kPesSampleDuration = Guid::FromText("C6BD9450-867F-4907-83A3-C77921B733AD");

// Media type identifiers of the runtime's WM_MEDIA_TYPE
constexpr Guid kMediaTypeVideo = Guid::FromText("73646976-0000-0010-8000-00AA00389B71");
constexpr Guid kMediaTypeAudio = Guid::FromText("73647561-0000-0010-8000-00AA00389B71");
constexpr Guid kFormatVideoInfo = Guid::FromText("05589F80-C356-11CE-BF01-00AA0055595A");
constexpr Guid kFormatWaveFormatEx = Guid::FromText("05589F81-C356-11CE-BF01-00AA0055595A");
constexpr Guid kSubtypeBase = Guid::FromText("00000000-0000-0010-8000-00AA00389B71");

}  // namespace asf::guids
