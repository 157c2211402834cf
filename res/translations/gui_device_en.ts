<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>qx::CQX420View</name>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>校正时钟</source>
        <translation>Set Clock</translation>
    </message>
    <message>
        <source>读入参数</source>
        <translation>Read Settings</translation>
    </message>
    <message>
        <source>设置参数</source>
        <translation>Write Settings</translation>
    </message>
    <message>
        <source>接收数据</source>
        <translation>Download Data</translation>
    </message>
    <message>
        <source>停止记录</source>
        <translation>Stop Recording</translation>
    </message>
    <message>
        <source>自动刷新</source>
        <translation>Auto refresh</translation>
    </message>
    <message>
        <source>间隔:</source>
        <translation>Every:</translation>
    </message>
    <message>
        <source>设置的参数</source>
        <translation>Current settings</translation>
    </message>
    <message>
        <source>记录的参数</source>
        <translation>Recording settings</translation>
    </message>
</context>
<context>
    <name>qx::CSelectDialog</name>
    <message>
        <source>设备:</source>
        <translation>Instrument:</translation>
    </message>
    <message>
        <source>选择设备</source>
        <translation>Select Instrument</translation>
    </message>
</context>
<context>
    <name>qx::CSetParamDlg</name>
    <message>
        <source>设置仪器参数</source>
        <translation>Instrument Settings</translation>
    </message>
    <message>
        <source>地址(1-254):</source>
        <translation>Address (1-254):</translation>
    </message>
    <message>
        <source>仪器编号:</source>
        <translation>Instrument number:</translation>
    </message>
    <message>
        <source>&lt;=10个字母或数字</source>
        <translation>&lt;= 10 letters or digits</translation>
    </message>
    <message>
        <source>测量名称:</source>
        <translation>Measurement name:</translation>
    </message>
    <message>
        <source>&lt;=18个英文或汉字</source>
        <translation>&lt;= 18 characters</translation>
    </message>
    <message>
        <source>循环记录</source>
        <translation>Cyclic recording</translation>
    </message>
    <message>
        <source>测量记录数:</source>
        <translation>Samples to record:</translation>
    </message>
    <message>
        <source>记录间隔:</source>
        <translation>Recording interval:</translation>
    </message>
    <message>
        <source>工作LED闪烁:</source>
        <translation>LED blinking:</translation>
    </message>
    <message>
        <source>报警方式:</source>
        <translation>Alarm mode:</translation>
    </message>
    <message>
        <source>气压测量单位:</source>
        <translation>Pressure unit:</translation>
    </message>
    <message>
        <source>流量 = c1×g² + c2×g + c3 的二次项系数 c1 (-9.999~9.999)
g = 1.2×差压/空气密度</source>
        <translation>Quadratic coefficient c1 of flow = c1×g² + c2×g + c3 (-9.999~9.999)
g = 1.2×differential pressure/air density</translation>
    </message>
    <message>
        <source>流量 = c1×g² + c2×g + c3 的一次项系数 c2 (-9.9999~9.9999)
g = 1.2×差压/空气密度</source>
        <translation>Linear coefficient c2 of flow = c1×g² + c2×g + c3 (-9.9999~9.9999)
g = 1.2×differential pressure/air density</translation>
    </message>
    <message>
        <source>流量 = c1×g² + c2×g + c3 的常数项 c3 (-99.999~99.999)</source>
        <translation>Constant term c3 of flow = c1×g² + c2×g + c3 (-99.999~99.999)</translation>
    </message>
    <message>
        <source>流量计算参数:</source>
        <translation>Flow coefficients:</translation>
    </message>
    <message>
        <source>流量测量单位:</source>
        <translation>Flow unit:</translation>
    </message>
    <message>
        <source>℃(摄氏度)</source>
        <translation>℃ (Celsius)</translation>
    </message>
    <message>
        <source>℉(华氏度)</source>
        <translation>℉ (Fahrenheit)</translation>
    </message>
    <message>
        <source>温度测量单位:</source>
        <translation>Temperature unit:</translation>
    </message>
    <message>
        <source>温度报警域值:</source>
        <translation>Temperature alarm limits:</translation>
    </message>
    <message>
        <source>低</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>湿度报警域值:</source>
        <translation>Humidity alarm limits:</translation>
    </message>
    <message>
        <source>噪声报警域值:</source>
        <translation>Sound level alarm limits:</translation>
    </message>
    <message>
        <source>采样速度:</source>
        <translation>Sampling speed:</translation>
    </message>
    <message>
        <source>快速</source>
        <translation>Fast</translation>
    </message>
    <message>
        <source>慢速</source>
        <translation>Slow</translation>
    </message>
    <message>
        <source>声级:</source>
        <translation>Weighting:</translation>
    </message>
    <message>
        <source>A级</source>
        <translation>A-weighted</translation>
    </message>
    <message>
        <source>C级</source>
        <translation>C-weighted</translation>
    </message>
    <message>
        <source>CO2报警域值:</source>
        <translation>CO2 alarm limit:</translation>
    </message>
    <message>
        <source>延时:</source>
        <translation>Delay:</translation>
    </message>
    <message>
        <source>分</source>
        <translation>min</translation>
    </message>
    <message>
        <source>当前计算机时间:</source>
        <translation>Computer time:</translation>
    </message>
    <message>
        <source>手动测量</source>
        <translation>Manual start</translation>
    </message>
    <message>
        <source>立即测量</source>
        <translation>Immediate start</translation>
    </message>
    <message>
        <source>默认参数</source>
        <translation>Default Settings</translation>
    </message>
    <message>
        <source>保存配置...</source>
        <translation>Save Profile...</translation>
    </message>
    <message>
        <source>载入配置...</source>
        <translation>Load Profile...</translation>
    </message>
    <message>
        <source>甲醛报警域值:</source>
        <translation>Formaldehyde alarm limit:</translation>
    </message>
    <message>
        <source>文件:%1 不能打开!</source>
        <translation>File: %1 cannot be opened.</translation>
    </message>
    <message>
        <source>文件:%1 %2</source>
        <translation>File: %1
%2</translation>
    </message>
    <message>
        <source>%1没有这些参数, 已跳过: %2</source>
        <translation>%1 does not have these settings; skipped: %2</translation>
    </message>
    <message>
        <source>保存参数配置</source>
        <translation>Save Settings Profile</translation>
    </message>
    <message>
        <source>载入参数配置</source>
        <translation>Load Settings Profile</translation>
    </message>
    <message>
        <source>参数配置文件 (*.ini)</source>
        <translation>Settings profiles (*.ini)</translation>
    </message>
    <message>
        <source>含编号和名称</source>
        <translation>With instrument number and name</translation>
    </message>
    <message>
        <source>保存配置时也写入仪器编号和测量名称</source>
        <translation>Save Profile also writes the instrument number and the measurement name</translation>
    </message>
    <message>
        <source>这个配置将改变本仪器的编号或名称:
%1

确定: 一起改变; 取消: 保留本仪器的编号和名称, 只载入其他参数.</source>
        <translation>This profile would change the instrument number or the measurement name of this instrument:
%1

OK: change them too; Cancel: keep this instrument&apos;s own and load the other settings.</translation>
    </message>
    <message>
        <source>PPM  </source>
        <translation>ppm  </translation>
    </message>
</context>
</TS>
