<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="zh_CN">
<context>
    <name>corvane</name>
    <message>
        <source>添加延迟点</source>
        <translation>Add Delay Point</translation>
    </message>
    <message>
        <source>工具</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>选择延迟点</source>
        <translation>Select Delay Point</translation>
    </message>
    <message>
        <source>删除所选延迟点</source>
        <translation>Delete Selected Delay Point</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>选择DAT文件</source>
        <translation>Choose DAT File</translation>
    </message>
    <message>
        <source>保存切割文件</source>
        <translation>Save Cut File</translation>
    </message>
    <message>
        <source>切割速度 - 毫米/秒</source>
        <translation>Cutting Speed - mm/s</translation>
    </message>
    <message>
        <source>泡沫切割 - 设置信息</source>
        <translation>Foam Cut - Setup</translation>
    </message>
    <message>
        <source>设置完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>红色方框内为计算结果</source>
        <translation>The red boxes hold the calculated values</translation>
    </message>
    <message>
        <source>成品宽度</source>
        <translation>Finished Width</translation>
    </message>
    <message>
        <source>成品翼展</source>
        <translation>Finished Span</translation>
    </message>
    <message>
        <source>成品翼根弦长</source>
        <translation>Finished Root Chord</translation>
    </message>
    <message>
        <source>成品翼尖弦长</source>
        <translation>Finished Tip Chord</translation>
    </message>
    <message>
        <source>机翼切割 - 生成切割文件</source>
        <translation>Wing Cut - Generate Cut Files</translation>
    </message>
    <message>
        <source>泡沫切割 - 生成切割文件</source>
        <translation>Foam Cut - Generate Cut Files</translation>
    </message>
    <message>
        <source>建立切割文件</source>
        <translation>Build Cut Files</translation>
    </message>
    <message>
        <source>选择左侧机翼切割形状DAT数据文件</source>
        <translation>Choose the DAT file of the left wing profile</translation>
    </message>
    <message>
        <source>选择右侧机翼切割形状DAT数据文件</source>
        <translation>Choose the DAT file of the right wing profile</translation>
    </message>
    <message>
        <source>机翼切割 - 设置信息</source>
        <translation>Wing Cut - Setup</translation>
    </message>
    <message>
        <source>翼根弦长计算值 - 毫米</source>
        <translation>Calculated Root Chord - mm</translation>
    </message>
    <message>
        <source>翼尖弦长计算值 - 毫米</source>
        <translation>Calculated Tip Chord - mm</translation>
    </message>
    <message>
        <source>成品翼展 - 毫米</source>
        <translation>Finished Span - mm</translation>
    </message>
    <message>
        <source>成品翼根弦长 - 毫米</source>
        <translation>Finished Root Chord - mm</translation>
    </message>
    <message>
        <source>成品翼尖弦长 - 毫米</source>
        <translation>Finished Tip Chord - mm</translation>
    </message>
    <message>
        <source>左机翼面板</source>
        <translation>Left Wing Panel</translation>
    </message>
    <message>
        <source>选择机翼类型</source>
        <translation>Choose the Wing Type</translation>
    </message>
    <message>
        <source>矩形机翼设置</source>
        <translation>Constant-Chord Wing Setup</translation>
    </message>
    <message>
        <source>设备设置</source>
        <translation>Device Settings</translation>
    </message>
    <message>
        <source>引导切割选项</source>
        <translation>Lead-In Options</translation>
    </message>
    <message>
        <source>使用导入/导出切割</source>
        <translation>Use Lead-In / Lead-Out</translation>
    </message>
    <message>
        <source>设置导入方向</source>
        <translation>Lead-In Direction</translation>
    </message>
    <message>
        <source>水平</source>
        <translation>Horizontal</translation>
    </message>
    <message>
        <source>垂直</source>
        <translation>Vertical</translation>
    </message>
    <message>
        <source>变换导出切割方向</source>
        <translation>Reverse Lead-Out Direction</translation>
    </message>
    <message>
        <source>数值 - 毫米</source>
        <translation>Length - mm</translation>
    </message>
    <message>
        <source>泡沫原材料选项</source>
        <translation>Foam Block Options</translation>
    </message>
    <message>
        <source>宽度-毫米</source>
        <translation>Width - mm</translation>
    </message>
    <message>
        <source>步进电机选项</source>
        <translation>Stepper Motor Options</translation>
    </message>
    <message>
        <source>X1反向</source>
        <translation>Reverse X1</translation>
    </message>
    <message>
        <source>Y1反向</source>
        <translation>Reverse Y1</translation>
    </message>
    <message>
        <source>X2反向</source>
        <translation>Reverse X2</translation>
    </message>
    <message>
        <source>Y2反向</source>
        <translation>Reverse Y2</translation>
    </message>
    <message>
        <source>步/每毫米</source>
        <translation>Steps per mm</translation>
    </message>
    <message>
        <source>引脚分配</source>
        <translation>Pin Assignment</translation>
    </message>
    <message>
        <source>热丝控制</source>
        <translation>Hot Wire Control</translation>
    </message>
    <message>
        <source>低电平有效</source>
        <translation>Active Low</translation>
    </message>
    <message>
        <source>高电平有效</source>
        <translation>Active High</translation>
    </message>
    <message>
        <source>并口地址</source>
        <translation>Parallel Port Address</translation>
    </message>
    <message>
        <source>端口地址</source>
        <translation>Port Address</translation>
    </message>
    <message>
        <source>切口调整</source>
        <translation>Kerf Adjustment</translation>
    </message>
    <message>
        <source>电热丝直径</source>
        <translation>Wire Diameter</translation>
    </message>
    <message>
        <source>未使用</source>
        <translation>Not Used</translation>
    </message>
    <message>
        <source>起点位置尚未设置</source>
        <translation>The home position is not set yet</translation>
    </message>
    <message>
        <source>切割速度</source>
        <translation>Cutting Speed</translation>
    </message>
    <message>
        <source>毫米/秒</source>
        <translation>mm/s</translation>
    </message>
    <message>
        <source>手动控制</source>
        <translation>Manual Control</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>后退</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>向前</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>上</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>两轴同控</source>
        <translation>Paired Axes</translation>
    </message>
    <message>
        <source>单轴手动控制</source>
        <translation>Single Axis Control</translation>
    </message>
    <message>
        <source>返回起点坐标</source>
        <translation>Return to Home</translation>
    </message>
    <message>
        <source>返回起点</source>
        <translation>Return Home</translation>
    </message>
    <message>
        <source>成功返回起点</source>
        <translation>Returned to home</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>电热丝断电</source>
        <translation>Hot Wire OFF</translation>
    </message>
    <message>
        <source>电热丝通电</source>
        <translation>Hot Wire ON</translation>
    </message>
    <message>
        <source>切割暂停
点击确定继续</source>
        <translation>Cut paused
Click OK to continue</translation>
    </message>
    <message>
        <source>左侧切割文件</source>
        <translation>Left Cut File</translation>
    </message>
    <message>
        <source>右侧切割文件</source>
        <translation>Right Cut File</translation>
    </message>
    <message>
        <source>机翼切割 - 切割进度信息</source>
        <translation>Wing Cut - Progress</translation>
    </message>
    <message>
        <source>切割速度调整</source>
        <translation>Cutting Speed Adjustment</translation>
    </message>
    <message>
        <source>泡沫切割 - 进度信息</source>
        <translation>Foam Cut - Progress</translation>
    </message>
    <message>
        <source>切割速度
毫米/秒</source>
        <translation>Cutting Speed
mm/s</translation>
    </message>
    <message>
        <source>显示帮助</source>
        <translation>Show Help</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>延迟时间(毫秒)</source>
        <translation>Delay (ms)</translation>
    </message>
    <message>
        <source>选择切割文件</source>
        <translation>Choose Cut File</translation>
    </message>
    <message>
        <source>保存脚本文件</source>
        <translation>Save Script File</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>四轴电热丝泡沫切割机控制程序 - 公制版
Four-axis hot-wire foam cutter control</source>
        <translation>Four-axis hot-wire foam cutter control - Metric Edition</translation>
    </message>
    <message>
        <source>目录</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>Corvane 帮助</source>
        <translation>Corvane Help</translation>
    </message>
    <message>
        <source>设备 / 手动</source>
        <translation>Machine / Manual</translation>
    </message>
    <message>
        <source>单轴控制</source>
        <translation>Single Axis</translation>
    </message>
    <message>
        <source>机翼切割</source>
        <translation>Wing Cut</translation>
    </message>
    <message>
        <source>参数</source>
        <translation>Setup</translation>
    </message>
    <message>
        <source>生成切割文件</source>
        <translation>Generate Cut Files</translation>
    </message>
    <message>
        <source>开始切割</source>
        <translation>Begin Cut</translation>
    </message>
    <message>
        <source>泡沫切割</source>
        <translation>Foam Cut</translation>
    </message>
    <message>
        <source>在线支持</source>
        <translation>Online Support</translation>
    </message>
    <message>
        <source>主页</source>
        <translation>Home Page</translation>
    </message>
    <message>
        <source>打开主菜单</source>
        <translation>Open Main Menu</translation>
    </message>
    <message>
        <source>装入切割文件</source>
        <translation>Load Cut File</translation>
    </message>
    <message>
        <source>起点控制</source>
        <translation>Home Control</translation>
    </message>
    <message>
        <source>查看</source>
        <translation>View</translation>
    </message>
    <message>
        <source>查看状态栏</source>
        <translation>Status Bar</translation>
    </message>
    <message>
        <source>查看工具条</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>打开记事本</source>
        <translation>Open Notes</translation>
    </message>
    <message>
        <source>脚本</source>
        <translation>Scripts</translation>
    </message>
    <message>
        <source>编译/运行切割脚本</source>
        <translation>Check / Run Cutting Script</translation>
    </message>
    <message>
        <source>Corvane 站点</source>
        <translation>Corvane Website</translation>
    </message>
    <message>
        <source>Corvane 在线支持</source>
        <translation>Corvane Online Support</translation>
    </message>
    <message>
        <source>查看并口活动状态</source>
        <translation>View Parallel Port Activity</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>端口 Port: controller %1 — LIVE</source>
        <translation>Port: controller %1 — LIVE</translation>
    </message>
    <message>
        <source>端口 Port: %1 — LIVE</source>
        <translation>Port: %1 — LIVE</translation>
    </message>
    <message>
        <source>端口 Port: %1 (dry run)</source>
        <translation>Port: %1 (dry run)</translation>
    </message>
    <message>
        <source>公制版</source>
        <translation>Metric Edition</translation>
    </message>
    <message>
        <source>Corvane 3.0 - 公制版</source>
        <translation>Corvane 3.0 - Metric Edition</translation>
    </message>
    <message>
        <source>保存备注文件</source>
        <translation>Save Notes File</translation>
    </message>
    <message>
        <source>当前设置</source>
        <translation>Current Settings</translation>
    </message>
    <message>
        <source>Corvane 3.0 帮助 - 公制版 (Metric Edition)</source>
        <translation>Corvane 3.0 Help (Metric Edition)</translation>
    </message>
    <message>
        <source>开始 / Getting started</source>
        <translation>Getting started</translation>
    </message>
    <message>
        <source>主窗口 / The main window</source>
        <translation>The main window</translation>
    </message>
    <message>
        <source>设备设置 / Machine settings</source>
        <translation>Machine settings</translation>
    </message>
    <message>
        <source>起点和航点 / Home and waypoints</source>
        <translation>Home and waypoints</translation>
    </message>
    <message>
        <source>生成切割文件 / Generating a cut file</source>
        <translation>Generating a cut file</translation>
    </message>
    <message>
        <source>切割 / Cutting</source>
        <translation>Cutting</translation>
    </message>
    <message>
        <source>并口 / The parallel port</source>
        <translation>The parallel port</translation>
    </message>
    <message>
        <source>文件 / Files</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>在线支持 / Support</source>
        <translation>Support</translation>
    </message>
    <message>
        <source>the wing setup (机翼切割 - 设置信息)</source>
        <translation>the wing setup (Wing Cut - Setup)</translation>
    </message>
    <message>
        <source>the foam setup (泡沫切割 - 设置信息)</source>
        <translation>the foam setup (Foam Cut - Setup)</translation>
    </message>
    <message>
        <source>在两个泡沫面上切割图形</source>
        <translation>Cut the drawn part on the faces</translation>
    </message>
    <message>
        <source>尖部再向后移 - mm</source>
        <translation>Tip moved back beyond the drawing - mm</translation>
    </message>
    <message>
        <source>尖部再向上移 - mm</source>
        <translation>Tip moved up beyond the drawing - mm</translation>
    </message>
    <message>
        <source>左: 面 %1 mm, 塔 %2 mm      右: 面 %3 mm, 塔 %4 mm</source>
        <translation>Left: face %1 mm, tower %2 mm      Right: face %3 mm, tower %4 mm</translation>
    </message>
    <message>
        <source>选择两个DAT文件并输入侧面尺寸</source>
        <translation>Choose both DAT files and enter the face sizes</translation>
    </message>
    <message>
        <source>左侧面</source>
        <translation>Left face</translation>
    </message>
    <message>
        <source>右侧面</source>
        <translation>Right face</translation>
    </message>
    <message>
        <source>机翼特征</source>
        <translation>Wing Features</translation>
    </message>
    <message>
        <source>蒙皮厚度 上表面 - 毫米</source>
        <translation>Sheeting, upper surface - mm</translation>
    </message>
    <message>
        <source>蒙皮厚度 下表面 - 毫米</source>
        <translation>Sheeting, lower surface - mm</translation>
    </message>
    <message>
        <source>后缘最小厚度 - 毫米</source>
        <translation>Trailing edge thickness - mm</translation>
    </message>
    <message>
        <source>前缘余量 - 毫米</source>
        <translation>Leading edge stock - mm</translation>
    </message>
    <message>
        <source>后缘余量 - 毫米</source>
        <translation>Trailing edge stock - mm</translation>
    </message>
    <message>
        <source>表面</source>
        <translation>Surface</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>宽度 - 毫米</source>
        <translation>Width - mm</translation>
    </message>
    <message>
        <source>深度 - 毫米</source>
        <translation>Depth - mm</translation>
    </message>
    <message>
        <source>右侧位置</source>
        <translation>Right position</translation>
    </message>
    <message>
        <source>右侧宽度</source>
        <translation>Right width</translation>
    </message>
    <message>
        <source>右侧深度</source>
        <translation>Right depth</translation>
    </message>
    <message>
        <source>添加翼梁槽</source>
        <translation>Add Slot</translation>
    </message>
    <message>
        <source>删除翼梁槽</source>
        <translation>Remove Slot</translation>
    </message>
    <message>
        <source>两侧机翼面板（另存镜像面板）</source>
        <translation>Both halves (the mirrored panel saved too)</translation>
    </message>
    <message>
        <source>翼梁槽</source>
        <translation>Spar slots</translation>
    </message>
    <message>
        <source>上表面</source>
        <translation>Upper</translation>
    </message>
    <message>
        <source>下表面</source>
        <translation>Lower</translation>
    </message>
    <message>
        <source>毫米</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>弦长比例</source>
        <translation>Chord fraction</translation>
    </message>
    <message>
        <source>相同</source>
        <translation>Same</translation>
    </message>
    <message>
        <source>按弦长比例</source>
        <translation>Proportional</translation>
    </message>
    <message>
        <source>每个侧面</source>
        <translation>Per face</translation>
    </message>
    <message>
        <source>材料与切缝...</source>
        <translation>Materials and Kerf...</translation>
    </message>
    <message>
        <source>材料与切缝</source>
        <translation>Materials and Kerf</translation>
    </message>
    <message>
        <source>使用中的材料:</source>
        <translation>Material in use:</translation>
    </message>
    <message>
        <source>设为使用中</source>
        <translation>Use This Material</translation>
    </message>
    <message>
        <source>不使用材料</source>
        <translation>Use No Material</translation>
    </message>
    <message>
        <source>删除材料</source>
        <translation>Remove Material</translation>
    </message>
    <message>
        <source>材料名称</source>
        <translation>Material Name</translation>
    </message>
    <message>
        <source>速度 - 毫米/秒</source>
        <translation>Speed - mm/s</translation>
    </message>
    <message>
        <source>切缝 - 毫米</source>
        <translation>Kerf - mm</translation>
    </message>
    <message>
        <source>功率 (可不填)</source>
        <translation>Power (optional)</translation>
    </message>
    <message>
        <source>添加测量点</source>
        <translation>Add Point</translation>
    </message>
    <message>
        <source>删除测量点</source>
        <translation>Remove Point</translation>
    </message>
    <message>
        <source>新建材料</source>
        <translation>New Material</translation>
    </message>
    <message>
        <source>保存材料</source>
        <translation>Save Material</translation>
    </message>
    <message>
        <source>切缝标定...</source>
        <translation>Kerf Calibration...</translation>
    </message>
    <message>
        <source>测量点之间的切缝按直线插值; 超出测量范围时取最近测量点的切缝并给出警告。功率用于控制器 (S 字), 并口只显示。</source>
        <translation>Between the measured points the kerf follows a straight line; beyond them the nearest point's kerf is taken and a warning is given. The power is for controllers (the S word); on the parallel port it is only shown.</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>切割速度 %1 毫米/秒 时的切缝: %2 毫米</source>
        <translation>Kerf at the cutting speed of %1 mm/s: %2 mm</translation>
    </message>
    <message>
        <source>超出测量范围, 取最近测量点的切缝</source>
        <translation>Outside the measured range: the nearest point's kerf is taken</translation>
    </message>
    <message>
        <source>materials.txt 无法读取, 为不丢失其中的内容, 本窗口不写入该文件。请修正或移走该文件后重新打开本窗口。</source>
        <translation>materials.txt cannot be read. So that nothing in it is lost, this window does not write it. Mend or move the file, then open this window again.</translation>
    </message>
    <message>
        <source>第 %1 个测量点: 速度和切缝须为数字, 功率为数字或不填。</source>
        <translation>Point %1: the speed and the kerf must be numbers; the power a number or empty.</translation>
    </message>
    <message>
        <source>第 %1 个测量点: 速度须为正数, 切缝和功率不能为负数。</source>
        <translation>Point %1: the speed must be above 0; the kerf and the power cannot be negative.</translation>
    </message>
    <message>
        <source>请填写材料名称。</source>
        <translation>Please enter the material's name.</translation>
    </message>
    <message>
        <source>材料名称不能含双引号 (")。</source>
        <translation>A material's name cannot hold a double quotation mark (").</translation>
    </message>
    <message>
        <source>一种材料至少需要两个测量点 (速度, 切缝), 现在有 %1 个。</source>
        <translation>A material needs at least two measured points (speed, kerf); it has %1.</translation>
    </message>
    <message>
        <source>速度 %1 毫米/秒 有两个测量点, 每个速度只能有一个。</source>
        <translation>The speed %1 mm/s has two points; each speed can have only one.</translation>
    </message>
    <message>
        <source>已有同名材料, 请换一个名称, 或在列表中选中它再修改。</source>
        <translation>A material of this name exists already. Choose another name, or pick it in the list to change it.</translation>
    </message>
    <message>
        <source>请先在列表中选中一种材料。</source>
        <translation>Please pick a material in the list first.</translation>
    </message>
    <message>
        <source>删除所选材料?</source>
        <translation>Remove the chosen material?</translation>
    </message>
    <message>
        <source>滑块速度偏离生成切割文件时的速度超过 %1% 时显示此提示; 切割中不会重新生成切割文件。</source>
        <translation>Shown when the slider's speed is more than %1% away from the speed the cut file was made for; the cut file is not made again during a cut.</translation>
    </message>
    <message>
        <source>速度 %1 毫米/秒 比切割文件的 %2 毫米/秒 慢 %3%: 切缝会变宽, 尺寸与设计不符</source>
        <translation>Speed %1 mm/s is %3% slower than the cut file's %2 mm/s: the kerf gets wider and the sizes depart from the design</translation>
    </message>
    <message>
        <source>速度 %1 毫米/秒 比切割文件的 %2 毫米/秒 快 %3%: 切缝会变窄, 尺寸与设计不符</source>
        <translation>Speed %1 mm/s is %3% faster than the cut file's %2 mm/s: the kerf gets narrower and the sizes depart from the design</translation>
    </message>
    <message>
        <source>materials.txt 无法读取, 不知道使用中的材料, 因此不生成切割文件。请在 材料与切缝 窗口中查看。</source>
        <translation>materials.txt cannot be read, so the material in use is not known and no cut file is made. Look at it in the Materials and Kerf window.</translation>
    </message>
    <message>
        <source>使用中的材料不在 materials.txt 中, 因此不生成切割文件。请在 材料与切缝 窗口中重新选择。</source>
        <translation>The material in use is not in materials.txt, so no cut file is made. Choose it again in the Materials and Kerf window.</translation>
    </message>
    <message>
        <source>红色虚线: 在齿高一半处用卡尺测量齿宽; 红色数字为名义宽度 (毫米)。</source>
        <translation>Red dashed line: measure each tooth's width there, half way up, with calipers; the red figure is its nominal width (mm).</translation>
    </message>
    <message>
        <source>梳子 %1 x %2 毫米, 按 %3 毫米/秒 生成</source>
        <translation>Comb %1 x %2 mm, made for %3 mm/s</translation>
    </message>
    <message>
        <source>切缝标定</source>
        <translation>Kerf Calibration</translation>
    </message>
    <message>
        <source>方法: 从一块泡沫上切出一把梳子, 梳齿排成一行, 每个齿用自己的速度切割一周。</source>
        <translation>The method: a comb is cut out of a foam block, its teeth in a row, each tooth cut all round at its own speed.</translation>
    </message>
    <message>
        <source>切割时电热丝的中心沿着每个齿的名义边线走, 齿的两个切面各被熔掉半个切缝。</source>
        <translation>The wire's centre runs along each tooth's nominal sides, so each of the tooth's two cut faces loses half the kerf.</translation>
    </message>
    <message>
        <source>切割后用卡尺在齿高一半处 (图中的红色虚线) 测量每个齿的宽度, 最好在块的两端各量一次, 取平均值。</source>
        <translation>After the cut, measure each tooth's width half way up (the red dashed line in the drawing) with calipers, best at both ends of the block, and take the mean.</translation>
    </message>
    <message>
        <source>计算: 切缝 = 名义宽度 - 测量宽度。例如名义宽度 20 毫米, 测得 19.2 毫米, 则该速度的切缝为 0.8 毫米。</source>
        <translation>The arithmetic: kerf = nominal width - measured width. For example a nominal 20 mm measured at 19.2 mm gives a kerf of 0.8 mm at that tooth's speed.</translation>
    </message>
    <message>
        <source>切割文件按最快的齿的速度生成, 较慢的齿在切割文件里放慢; 所以切割时滑块要放在这个速度, 切割中不要移动。</source>
        <translation>The cut file is made for the fastest tooth's speed and slows down for the slower teeth, so the slider must stand at that speed and must not be moved during the cut.</translation>
    </message>
    <message>
        <source>测得的宽度不大于 0, 大于名义宽度, 或小于名义宽度的一半时, 该齿不给出切缝, 请重新测量。</source>
        <translation>A width not above 0, wider than the nominal width, or less than half of it gives no kerf: measure that tooth again.</translation>
    </message>
    <message>
        <source>存入材料时, 相同速度的旧测量点被替换, 其余的测量点保留。</source>
        <translation>Stored in a material, the old points at the same speeds are replaced and the other points stay.</translation>
    </message>
    <message>
        <source>材料</source>
        <translation>Material</translation>
    </message>
    <message>
        <source>速度 - 毫米/秒 (逗号分隔)</source>
        <translation>Speeds - mm/s (comma separated)</translation>
    </message>
    <message>
        <source>齿宽 - 毫米</source>
        <translation>Tooth Width - mm</translation>
    </message>
    <message>
        <source>齿高 - 毫米</source>
        <translation>Tooth Height - mm</translation>
    </message>
    <message>
        <source>齿间距 - 毫米</source>
        <translation>Gap Between Teeth - mm</translation>
    </message>
    <message>
        <source>两端余量 - 毫米</source>
        <translation>Margin at Each End - mm</translation>
    </message>
    <message>
        <source>底座高度 - 毫米</source>
        <translation>Base Height - mm</translation>
    </message>
    <message>
        <source>名义宽度 - 毫米</source>
        <translation>Nominal Width - mm</translation>
    </message>
    <message>
        <source>测量宽度 - 毫米</source>
        <translation>Measured Width - mm</translation>
    </message>
    <message>
        <source>生成标定切割文件</source>
        <translation>Make Calibration Cut File</translation>
    </message>
    <message>
        <source>计算切缝</source>
        <translation>Compute Kerf</translation>
    </message>
    <message>
        <source>存入材料</source>
        <translation>Store in Material</translation>
    </message>
    <message>
        <source>方法说明</source>
        <translation>Method</translation>
    </message>
    <message>
        <source>速度须为用逗号分隔的数字 (毫米/秒), 例如 2, 3, 4, 6。</source>
        <translation>The speeds must be numbers separated by commas (mm/s), e.g. 2, 3, 4, 6.</translation>
    </message>
    <message>
        <source>梳子的尺寸须为数字 (毫米)。</source>
        <translation>The comb's sizes must be numbers (mm).</translation>
    </message>
    <message>
        <source>标定切割不能生成:</source>
        <translation>The calibration cut cannot be made:</translation>
    </message>
    <message>
        <source>标定切割文件已生成, 现在是工作切割文件。请在切割窗口中以 %1 毫米/秒 切割, 切割中不要移动滑块。</source>
        <translation>The calibration cut file is made and is now the working cut file. Cut it in the cut window at %1 mm/s and do not move the slider during the cut.</translation>
    </message>
    <message>
        <source>第 %1 个齿: 测量宽度须为数字, 功率为数字或不填。</source>
        <translation>Tooth %1: the measured width must be a number; the power a number or empty.</translation>
    </message>
    <message>
        <source>请至少填写一个齿的测量宽度。</source>
        <translation>Please enter the measured width of at least one tooth.</translation>
    </message>
    <message>
        <source>有的齿不能给出切缝:</source>
        <translation>Some teeth give no kerf:</translation>
    </message>
    <message>
        <source>请先填写测量宽度并计算切缝。</source>
        <translation>Please enter the measured widths and compute the kerf first.</translation>
    </message>
    <message>
        <source>已存入材料</source>
        <translation>Stored in the material</translation>
    </message>
    <message>
        <source>切缝来自设置</source>
        <translation>Kerf from the settings</translation>
    </message>
    <message>
        <source>切缝来自材料 (按 %1 毫米/秒 生成):</source>
        <translation>Kerf from the material (made for %1 mm/s):</translation>
    </message>
    <message>
        <source>左侧切缝 %1 毫米</source>
        <translation>Left kerf %1 mm</translation>
    </message>
    <message>
        <source>右侧切缝 %1 毫米</source>
        <translation>Right kerf %1 mm</translation>
    </message>
    <message>
        <source>左侧切缝 %1 - %2 毫米, 面速度 %3 - %4 毫米/秒</source>
        <translation>Left kerf %1 - %2 mm, face speed %3 - %4 mm/s</translation>
    </message>
    <message>
        <source>右侧切缝 %1 - %2 毫米, 面速度 %3 - %4 毫米/秒</source>
        <translation>Right kerf %1 - %2 mm, face speed %3 - %4 mm/s</translation>
    </message>
</context>
</TS>
