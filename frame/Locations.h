#pragma once

// The location texts of the error reports, one per guarded command, each stored whole.
namespace frame::loc {

inline constexpr const char* Form1_PushButton1_Click = "in Corvalen2021/08/31.Form1.PushButton1_Click ";
inline constexpr const char* Form1_PushButton2_Click = "in Corvalen2021/08/31.Form1.PushButton2_Click ";
inline constexpr const char* Form1_PushButton3_Click = "in Corvalen2021/08/31.Form1.PushButton3_Click ";
inline constexpr const char* Form1_PushButton4_Click = "in Corvalen2021/08/31.Form1.PushButton4_Click ";
inline constexpr const char* Form1_PushButton5_Click = "in Corvalen2021/08/31.Form1.PushButton5_Click ";
inline constexpr const char* Form1_PushButton6_Click = "in Corvalen2021/08/31.Form1.PushButton6_Click ";
inline constexpr const char* Form1_PushButton7_Click = "in Corvalen2021/08/31.Form1.PushButton7_Click ";
inline constexpr const char* Form1_PushButton8_Click = "in Corvalen2021/08/31.Form1.PushButton8_Click ";
inline constexpr const char* Form1_Form_Load = "in Corvalen2021/08/31.Form1.Form_Load ";
inline constexpr const char* Form2_PushButton1_Click = "in Corvalen2021/08/31.Form2.PushButton1_Click ";
inline constexpr const char* Form2_PushButton2_Click = "in Corvalen2021/08/31.Form2.PushButton2_Click ";
inline constexpr const char* Form2_PushButton3_Click = "in Corvalen2021/08/31.Form2.PushButton3_Click ";
inline constexpr const char* Form2_PushButton4_Click = "in Corvalen2021/08/31.Form2.PushButton4_Click ";
inline constexpr const char* Form2_PushButton5_Click = "in Corvalen2021/08/31.Form2.PushButton5_Click ";
inline constexpr const char* Form2_PushButton6_Click = "in Corvalen2021/08/31.Form2.PushButton6_Click ";
inline constexpr const char* Form2_PushButton7_Click = "in Corvalen2021/08/31.Form2.PushButton7_Click ";
inline constexpr const char* Form2_PushButton8_Click = "in Corvalen2021/08/31.Form2.PushButton8_Click ";
inline constexpr const char* Form2_PushButton9_Click = "in Corvalen2021/08/31.Form2.PushButton9_Click ";
inline constexpr const char* Form2_PushButton10_Click = "in Corvalen2021/08/31.Form2.PushButton10_Click ";
inline constexpr const char* Form2_PushButton11_Click = "in Corvalen2021/08/31.Form2.PushButton11_Click ";
inline constexpr const char* Form2_PushButton12_Click = "in Corvalen2021/08/31.Form2.PushButton12_Click ";
inline constexpr const char* Form2_Form_Load = "in Corvalen2021/08/31.Form2.Form_Load ";

} // namespace frame::loc
